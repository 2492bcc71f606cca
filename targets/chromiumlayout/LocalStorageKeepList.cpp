#include "targets/chromiumlayout/LocalStorageKeepList.h"

#include "core/FileController.h"
#include "core/TemporaryFolder.h"
#include "platform/files/FileManager.h"
#include "platform/system/ProcessInfo.h"
#include "targets/chromiumlayout/LocalStorageLevelDb.h"

#include <QScopeGuard>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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

std::function<void()> &stepHook()
{
    static std::function<void()> hook;
    return hook;
}

void afterStep()
{
    if (stepHook())
        stepHook()();
}

// The names directly inside an open folder, read before any of them is moved.
QList<QByteArray> namesIn(int folderFd)
{
    QList<QByteArray> names;
    const int fd = openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return names;
    }
    while (dirent *e = readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    closedir(dir);
    return names;
}

void keepLook(int folderFd, const char *name, const struct stat &model)
{
    if (fchownat(folderFd, name, model.st_uid, model.st_gid, AT_SYMLINK_NOFOLLOW) != 0)
        fchownat(folderFd, name, uid_t(-1), model.st_gid, AT_SYMLINK_NOFOLLOW);
    // Set after the group, whose change clears set-id bits.
    fchmodat(folderFd, name, model.st_mode & 07777, 0);
}

// How a store looks: its own owner, group and mode, and those of its files.
struct StoreLook
{
    struct stat folder;
    struct stat file;
};

// Taken before the library opens the store, which may write new files in it.
StoreLook lookOf(int parentFd, const QByteArray &storeName, const struct stat &store)
{
    StoreLook look{store, store};
    look.file.st_mode &= ~mode_t(0111);
    const int fd = openat(parentFd, storeName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        struct stat current;
        if (fstatat(fd, "CURRENT", &current, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(current.st_mode))
            look.file = current;
        close(fd);
    }
    return look;
}

// The new store takes the old one's look: the browser's profile may be shared with a group,
// and the store must not become readable by anyone the old one was closed to.
void giveLook(int parentFd, const QByteArray &storeName, const StoreLook &look)
{
    const int fd = openat(parentFd, storeName.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    for (const QByteArray &name : namesIn(fd)) {
        struct stat st;
        if (fstatat(fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            keepLook(fd, name.constData(), look.file);
    }
    close(fd);
    keepLook(parentFd, storeName.constData(), look.folder);
}

// What a clean moved out of the folder, and whether the stores were exchanged: put back,
// newest first, when the clean cannot go through.
struct Undo
{
    int folderFd;
    int movedFd;
    QByteArray storeName;
    QList<QByteArray> entries;
    bool storeSwapped;

    // True when everything is back; what could not go back stays where it is.
    bool putBack()
    {
        while (!entries.isEmpty()) {
            const QByteArray &entry = entries.last();
            if (renameat2(movedFd, entry.constData(), folderFd, entry.constData(), RENAME_NOREPLACE) != 0)
                return false;
            entries.removeLast();
        }
        return !storeSwapped
            || renameat2(movedFd, storeName.constData(), folderFd, storeName.constData(), RENAME_EXCHANGE) == 0;
    }
};

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

QString LocalStorageKeepList::setAside(const FileController &files, const QString &folder, const QStringList &prefixes)
{
    if (folder.isEmpty() || !isRealFolder(folder))
        return {};
    if (prefixes.isEmpty())
        return files.temporaryPathForFile(folder); // nothing stays: the folder goes whole
    // Worked on through the folder that was checked: a profile renamed (or a link swapped in)
    // meanwhile changes nothing of where each entry goes.
    const int folderFd =
        open(platform::encodePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd < 0)
        return {};
    const auto closeFolder = qScopeGuard([folderFd] { close(folderFd); });
    QString aside;
    const int asideFd = TemporaryFolder::openAsideFolderFor(folder, &aside);
    if (asideFd < 0)
        return {};
    const auto closeAside = qScopeGuard([asideFd] { close(asideFd); });
    const QByteArray name = platform::encodePath(platform::ProcessInfo::processInfo().globallyUniqueString());
    const int movedFd = mkdirat(asideFd, name.constData(), 0700) == 0
        ? openat(asideFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
        : -1;
    if (movedFd < 0) {
        unlinkat(asideFd, name.constData(), AT_REMOVEDIR);
        return {};
    }
    const auto closeMoved = qScopeGuard([movedFd] { close(movedFd); });
    const QString moved = aside + QLatin1Char('/') + platform::decodePath(name);
    // The library and the set-aside checks take names: they are given the open folder's.
    const QString opened = u"/proc/self/fd/"_s + QString::number(folderFd);
    const QString store = storeIn(opened);
    const QByteArray storeName = platform::encodePath(LocalStorageLevelDb::folderName);

    // The kept entries never leave the folder, so a kill at any moment finds them where the
    // browser looks; only what goes is moved, one entry at a time, into a private folder of
    // its own in the aside folder, from where it can always be put back.
    Undo undo{folderFd, movedFd, storeName, {}, false};
    auto giveUp = [&] {
        const bool restored = undo.putBack();
        if (restored) {
            if (undo.storeSwapped)
                FileManager::defaultManager().removeItemAtPath(moved + QLatin1Char('/')
                                                               + LocalStorageLevelDb::folderName);
            unlinkat(asideFd, name.constData(), AT_REMOVEDIR);
        }
        return QString(); // what could not go back stays where it is, for the next launch
    };

    struct stat storeStat;
    if (fstatat(folderFd, storeName.constData(), &storeStat, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISDIR(storeStat.st_mode))
            return giveUp();
        // The new store is written in the private folder and takes the old one's place in
        // one exchange: the old store then lies where the new one was made.
        const QString fresh = moved + QLatin1Char('/') + LocalStorageLevelDb::folderName;
        const StoreLook look = lookOf(folderFd, storeName, storeStat);
        if (!LocalStorageLevelDb::writeKeptRecords(store, fresh, prefixes))
            return giveUp();
        giveLook(movedFd, storeName, look);
        afterStep();
        // A browser that opened the store again since it was read may write to it: the new
        // store would miss that, so nothing goes ahead then.
        if (LocalStorageLevelDb::isLockedByAnotherProcess(store)
            || renameat2(movedFd, storeName.constData(), folderFd, storeName.constData(), RENAME_EXCHANGE) != 0) {
            FileManager::defaultManager().removeItemAtPath(fresh);
            return giveUp();
        }
        undo.storeSwapped = true;
        afterStep();
        // The old store now lies where the new one was made.
        if (LocalStorageLevelDb::isLockedByAnotherProcess(fresh))
            return giveUp();
    }

    for (const QByteArray &entry : namesIn(folderFd)) {
        if (entry == storeName || isKept(platform::decodePath(entry), prefixes))
            continue;
        if (!TemporaryFolder::moveItemInto(movedFd, opened + QLatin1Char('/') + platform::decodePath(entry),
                                           platform::decodePath(entry)))
            return giveUp();
        undo.entries.append(entry);
        afterStep();
    }
    FileManager::defaultManager().syncFolderOf(store);
    return moved;
}

void LocalStorageKeepList::setStepHook(std::function<void()> hook)
{
    stepHook() = std::move(hook);
}
