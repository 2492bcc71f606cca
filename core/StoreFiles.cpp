#include "core/StoreFiles.h"

#include <sqlite3.h>

#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isPlain(const struct stat &st)
{
    return S_ISREG(st.st_mode) && st.st_nlink == 1;
}

// Absent is fine for a side file (SQLite makes it as a regular file of its own); anything
// that is there must be plain.
bool isAbsentOrPlain(int folderFd, const QByteArray &name)
{
    struct stat st = {};
    if (::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    return isPlain(st);
}

sqlite3_vfs *baseVfs = nullptr;
sqlite3_vfs storeVfs = {};

// Called by SQLite for the store, its journal, its log and temporary files. A file that
// exists is opened once here without blocking and without following a final link, and must
// be plain: what SQLite then opens by the same name is what was checked, unless it was swapped
// in the instant between, which the folder check before the open narrows further.
int openChecked(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    if (flags & SQLITE_OPEN_SUPER_JOURNAL)
        return SQLITE_CANTOPEN;
    if (name) {
        const int fd = ::open(name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd >= 0) {
            struct stat st = {};
            const bool plain = ::fstat(fd, &st) == 0 && isPlain(st);
            ::close(fd);
            if (!plain)
                return SQLITE_CANTOPEN;
        } else if (errno != ENOENT) {
            return SQLITE_CANTOPEN;
        }
    }
    return baseVfs->xOpen(baseVfs, name, file, flags, outFlags);
}

} // namespace

bool StoreFiles::arePlain(int folderFd, const QByteArray &name)
{
    struct stat st = {};
    if (folderFd < 0 || name.isEmpty() || ::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0
        || !isPlain(st))
        return false;
    for (const char *suffix : {"-journal", "-wal", "-shm"}) {
        if (!isAbsentOrPlain(folderFd, name + suffix))
            return false;
    }
    return true;
}

const char *StoreFiles::vfsName()
{
    static std::once_flag registered;
    std::call_once(registered, [] {
        baseVfs = sqlite3_vfs_find(nullptr);
        // Everything but the open is the default layer's own, its private data included.
        storeVfs = *baseVfs;
        storeVfs.pNext = nullptr;
        storeVfs.zName = "nimbrel-store";
        storeVfs.xOpen = openChecked;
        sqlite3_vfs_register(&storeVfs, 0);
    });
    return storeVfs.zName;
}
