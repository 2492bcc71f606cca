#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The profile a Mozilla browser starts with, as its profiles.ini names it. The file is read
// as the browser reads it: "[Section]" lines, "Key=Value" lines, "#" and ";" comments.
namespace mozilla {

struct IniProfile
{
    QString path;         // as written after "Path="
    bool relative = true; // "IsRelative=1": below the folder that holds profiles.ini
};

// The profile the browser uses, in its own order: the "Default=" of an [Install…] section
// when it names one of the file's profiles, then the [Profile…] marked "Default=1", then the
// file's only profile. None when the file names none of these (several profiles and no
// choice, or no profile at all).
std::optional<IniProfile> defaultProfileIn(const QByteArray &ini);

} // namespace mozilla
