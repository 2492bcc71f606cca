#include "core/TemporaryFolder.h"

#include "platform/FileManager.h"
#include "platform/ProcessInfo.h"

#include <unistd.h>

using platform::FileManager;

QString TemporaryFolder::path()
{
    return FileManager::temporaryDirectory() + QStringLiteral("/Nimbrel");
}

bool TemporaryFolder::ensurePrivate()
{
    const FileManager &fm = FileManager::defaultManager();
    const QString folder = path();
    if (!fm.attributesOfItemAtPath(folder))
        fm.createDirectoryAtPath(folder, 0700); // a lost race is caught by the checks below

    const auto attributes = fm.attributesOfItemAtPath(folder);
    if (!attributes || attributes->isSymbolicLink || !attributes->isDirectory
        || attributes->owner != geteuid())
        return false;
    // Our own folder left open to others (an older umask, a copy): close it before use.
    if ((attributes->permissions & 077) != 0 && !fm.setPosixPermissions(folder, 0700))
        return false;
    return true;
}

QString TemporaryFolder::moveItemAside(const QString &itemPath)
{
    const FileManager &fm = FileManager::defaultManager();
    if (itemPath.isEmpty() || !fm.fileExistsAtPath(itemPath))
        return {};
    if (!ensurePrivate())
        return {};

    const QString target =
        path() + QLatin1Char('/') + platform::ProcessInfo::processInfo().globallyUniqueString();

    const auto attributes = fm.attributesOfItemAtPath(itemPath);
    if (attributes && attributes->immutable)
        fm.setImmutable(itemPath, false);
    if (!fm.isWritableFileAtPath(itemPath)) {
        // Owner only: the copy waits in the temporary folder and must not be readable by
        // others. A folder keeps its search bit, or its contents could not be removed.
        const bool isFolder = attributes && attributes->isDirectory;
        fm.setPosixPermissions(itemPath, isFolder ? 0700 : 0600);
        if (!fm.isWritableFileAtPath(itemPath))
            return {};
    }
    return fm.moveItemAtPath(itemPath, target) ? target : QString();
}
