#include "targets/mozilla/MozillaProfiles.h"

#include "platform/files/FileManager.h"
#include "platform/files/PathEncoding.h"
#include "targets/base/TraceTable.h"
#include "targets/mozilla/MozillaProfilesIni.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using platform::FileManager;

namespace mozilla {

namespace {

// A profiles.ini is a few hundred bytes; one far beyond that is not the browser's.
constexpr qint64 maxIniBytes = 256 * 1024;

enum class Follow { Yes, No };

bool isFolder(const QString &path, Follow follow)
{
    struct stat st = {};
    const QByteArray name = platform::encodePath(path);
    const int r = follow == Follow::Yes ? ::stat(name.constData(), &st) : ::lstat(name.constData(), &st);
    return r == 0 && S_ISDIR(st.st_mode);
}

// What profiles.ini in `dataFolder` chooses; nothing at all when there is no file to read
// (missing, or not a plain file of its own), so that the caller falls back to the folder rule.
std::optional<std::optional<IniProfile>> iniChoice(const QString &dataFolder)
{
    if (dataFolder.isEmpty())
        return std::nullopt;
    const auto ini = FileManager::defaultManager().readRegularFile(tracepaths::join(dataFolder, u"profiles.ini"_s),
                                                                   maxIniBytes, false);
    if (!ini)
        return std::nullopt;
    return defaultProfileIn(ini->data);
}

// The profile folder at `relative` below `base`, or empty when the path leaves `base`, passes
// a link below its first folder, or is not a folder.
QString folderBelow(const QString &base, const QString &relative)
{
    const QStringList parts = relative.split(QLatin1Char('/'));
    QString at = base;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        if (part.isEmpty() || part == u"."_s || part == u".."_s)
            return {};
        at = tracepaths::join(at, part);
        const bool last = i == parts.size() - 1;
        if (!isFolder(at, i == 0 && !last ? Follow::Yes : Follow::No))
            return {};
    }
    return at;
}

QString absoluteFolder(const QString &path)
{
    if (!path.startsWith(QLatin1Char('/')))
        return {};
    for (const QString &part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == u"."_s || part == u".."_s)
            return {};
    }
    return isFolder(path, Follow::No) ? path : QString();
}

} // namespace

QString profileFromIni(const QString &dataFolder, const std::function<QString()> &folderRule)
{
    const auto choice = iniChoice(dataFolder);
    if (!choice)
        return folderRule();
    if (!*choice)
        return {};
    return (*choice)->relative ? folderBelow(dataFolder, (*choice)->path) : absoluteFolder((*choice)->path);
}

QString cacheProfileFromIni(const QString &dataFolder, const QString &cacheFolder,
                            const std::function<QString()> &folderRule)
{
    const auto choice = iniChoice(dataFolder);
    if (!choice)
        return folderRule();
    if (!*choice)
        return {};
    if (!(*choice)->relative)
        return absoluteFolder((*choice)->path);
    return cacheFolder.isEmpty() ? QString() : folderBelow(cacheFolder, (*choice)->path);
}

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
