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

// The profile folder of a browser that keeps its profiles.ini in `dataFolder`, as that file
// chooses it; `folderRule` (the browser's older rule) only when there is no profiles.ini that
// can be read. A file that names no profile, or one that cannot be used, gives none.
// A relative profile lies below `dataFolder`: its first folder ("Profiles") may be a link the
// user made, nothing below it may be, nor may the path climb out with "..". An absolute one
// is taken as written, but never when its last folder is a link.
QString profileFromIni(const QString &dataFolder, const std::function<QString()> &folderRule);
// The cache profile folder that goes with it: the same relative path below `cacheFolder`, or
// the profile folder itself for an absolute one, as the browser keeps it.
QString cacheProfileFromIni(const QString &dataFolder, const QString &cacheFolder,
                            const std::function<QString()> &folderRule);

// A path inside a profile folder, looked up when the path is used; empty while `profile`
// finds none, so that no row of a missing profile is offered or cleaned.
std::function<QString()> inProfile(std::function<QString()> profile, const QString &relative);

} // namespace mozilla
