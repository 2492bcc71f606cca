#include "targets/chromiumlayout/LocalStorageKeepList.h"

#include "core/FileController.h"
#include "core/TemporaryFolder.h"
#include "platform/FileManager.h"
#include "platform/ProcessInfo.h"
#include "targets/chromiumlayout/LocalStorageLevelDb.h"

using platform::FileManager;

namespace {

bool isRealFolder(const QString &path)
{
    const auto attributes = FileManager::defaultManager().attributesOfItemAtPath(path);
    return attributes && attributes->isDirectory && !attributes->isSymbolicLink;
}

QString storeIn(const QString &folder)
{
    return folder + QLatin1Char('/') + LocalStorageLevelDb::folderName;
}

// Puts everything set aside back into the folder and forgets the set-aside folder.
void putBack(const FileController &files, const QString &moved, const QString &folder)
{
    files.moveFilesWithName(QString(), moved, folder);
    const FileManager &fm = FileManager::defaultManager();
    if (fm.contentsOfDirectoryAtPath(moved).isEmpty())
        fm.removeItemAtPath(moved);
}

} // namespace

bool LocalStorageKeepList::isKept(const QString &name, const QStringList &prefixes)
{
    for (const QString &prefix : prefixes) {
        if (name.startsWith(prefix))
            return true;
    }
    return false;
}

bool LocalStorageKeepList::holdsEntryToRemove(const QString &folder, const QStringList &prefixes)
{
    if (folder.isEmpty() || !isRealFolder(folder))
        return false;
    if (FileManager::defaultManager().attributesOfItemAtPath(storeIn(folder)))
        return isRealFolder(storeIn(folder)); // the clean reads no store through a link
    const QStringList entries = FileManager::defaultManager().enumeratorAtPath(folder);
    for (const QString &relative : entries) {
        // The entry's own name, whatever folder it lies in.
        if (!isKept(relative.section(QLatin1Char('/'), -1), prefixes))
            return true;
    }
    return false;
}

QString LocalStorageKeepList::setAside(const FileController &files, const QString &folder,
                                       const QStringList &prefixes)
{
    // The kept entries are moved back out of what was set aside; were the folder a link,
    // that would move them out of wherever it points.
    if (folder.isEmpty() || !isRealFolder(folder))
        return {};
    const FileManager &fm = FileManager::defaultManager();
    const QString store = storeIn(folder);
    const auto storeAttributes = fm.attributesOfItemAtPath(store);
    QString fresh; // the new store, written beside what is set aside, on the same file system
    if (storeAttributes) {
        if (!isRealFolder(store))
            return {};
        const QString aside = TemporaryFolder::asideFolderFor(store);
        if (aside.isEmpty())
            return {};
        fresh = aside + QLatin1Char('/') + platform::ProcessInfo::processInfo().globallyUniqueString();
        if (!LocalStorageLevelDb::writeKeptRecords(store, fresh, prefixes))
            return {};
    }

    const QString moved = files.temporaryPathForFile(folder);
    if (moved.isEmpty()) {
        if (!fresh.isEmpty())
            fm.removeItemAtPath(fresh);
        return {};
    }
    for (const QString &prefix : prefixes)
        files.moveFilesWithName(prefix, moved, folder);
    if (fresh.isEmpty())
        return moved;

    // A browser that opened the store again since it was read may have written to it: the
    // new store would miss that, so everything goes back as it was.
    const bool replaced = !LocalStorageLevelDb::isLockedByAnotherProcess(storeIn(moved))
                          && isRealFolder(folder)
                          && fm.setPosixPermissions(fresh, storeAttributes->permissions)
                          && fm.renameItemAtPath(fresh, store);
    if (replaced)
        return moved;
    putBack(files, moved, folder);
    fm.removeItemAtPath(fresh);
    return {};
}
