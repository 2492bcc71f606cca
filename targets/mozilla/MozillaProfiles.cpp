#include "targets/mozilla/MozillaProfiles.h"

#include "platform/FileManager.h"
#include "targets/base/TraceTable.h"

using platform::FileManager;

namespace mozilla {

QString firstEntryContaining(const QString &base, const QString &needle)
{
    const FileManager &fm = FileManager::defaultManager();
    bool isDirectory = false;
    if (base.isEmpty() || !fm.fileExistsAtPath(base, &isDirectory) || !isDirectory)
        return {};
    for (const QString &name : fm.contentsOfDirectoryAtPath(base)) {
        if (name.contains(needle))
            return tracepaths::join(base, name);
    }
    return {};
}

QString pathExtension(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.mid(dot + 1) : QString();
}

QString firstEntryWithExtension(const QString &base, const QString &extension)
{
    // The Profiles folder lies above the stores: one the user moved elsewhere and linked back
    // is entered, as Firefox's listing enters it. Links below it are still not walked into.
    const QString walked = base.isEmpty() ? QString() : FileManager::resolvedPath(base);
    if (walked.isEmpty())
        return {};
    const QString found = FileManager::defaultManager().firstEntryBelow(
        walked, [&extension](const QString &relative) { return pathExtension(relative) == extension; });
    return found.isEmpty() ? QString() : tracepaths::join(base, found);
}

std::function<QString()> inProfile(std::function<QString()> profile, const QString &relative)
{
    return [profile = std::move(profile), relative] {
        const QString folder = profile();
        return folder.isEmpty() ? QString() : tracepaths::join(folder, relative);
    };
}

} // namespace mozilla
