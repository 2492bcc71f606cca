#pragma once

#include <QString>

#include <functional>

// Finding a Mozilla profile folder. The browsers differ in how they pick it, so each rule is
// its own function; both look afresh at every call and keep nothing.
namespace mozilla {

// Firefox's rule: the first entry directly inside `base`, in the file system's listing order,
// whose name contains `needle` ("x.default" and "x.default-release" both contain ".default").
// Empty when `base` is not a folder or nothing matches.
QString firstEntryContaining(const QString &base, const QString &needle);

// SeaMonkey's rule: the first entry anywhere below `base`, in walk order (a folder before its
// contents), whose last component's extension is exactly `extension`. `base` is entered also
// when it is a link, as Firefox's rule enters it; links below it are not. Empty when none is.
QString firstEntryWithExtension(const QString &base, const QString &extension);

// The extension of a path's last component: what follows its last dot; a name that only
// starts with a dot (".default") has none.
QString pathExtension(const QString &path);

// A path inside a profile folder, looked up when the path is used; empty while `profile`
// finds none, so that no row of a missing profile is offered or cleaned.
std::function<QString()> inProfile(std::function<QString()> profile, const QString &relative);

} // namespace mozilla
