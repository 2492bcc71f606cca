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

bool isAbsent(int folderFd, const QByteArray &name)
{
    struct stat st = {};
    return ::fstatat(folderFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
}

sqlite3_vfs *baseVfs = nullptr;
sqlite3_vfs storeVfs = {};
sqlite3_vfs probeVfs = {};

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

// SQLite opens a log (even for a read-only connection) and a journal with leave to create
// them; a count's connection opens only what is there.
int openExisting(sqlite3_vfs *vfs, sqlite3_filename name, sqlite3_file *file, int flags, int *outFlags)
{
    if (flags & (SQLITE_OPEN_WAL | SQLITE_OPEN_MAIN_JOURNAL))
        flags &= ~SQLITE_OPEN_CREATE;
    return openChecked(vfs, name, file, flags, outFlags);
}

void registerLayers()
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
        probeVfs = storeVfs;
        probeVfs.zName = "nimbrel-probe";
        probeVfs.xOpen = openExisting;
        sqlite3_vfs_register(&probeVfs, 0);
    });
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
    registerLayers();
    return storeVfs.zName;
}

const char *StoreFiles::probeVfsName()
{
    registerLayers();
    return probeVfs.zName;
}

// A reader of a log store needs the log's index. SQLite keeps it in the -shm file beside the
// store, and makes that file (and an empty log) when they are missing, which a read-only
// connection cannot remove again. So where no log exists, every committed row is in the file
// itself and it is read as immutable, with no side file at all; where a log lies without its
// index, the reader holds the store alone and keeps the index in memory; where both are there
// it does the same (a reader would rebuild the index of a log a killed browser left), unless
// another program has the store open, whose index it then shares as any reader does.
StoreFiles::Reading StoreFiles::readingOf(int folderFd, const QByteArray &name)
{
    const int fd = ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return Reading::Shared;
    // The header's read and write versions are 2 for a store in WAL mode.
    unsigned char header[20] = {};
    const bool wal =
        ::pread(fd, header, sizeof header, 0) == ssize_t(sizeof header) && (header[18] == 2 || header[19] == 2);
    ::close(fd);
    // A journal beside it is left to a plain reader: the file may be half rewritten, and a
    // connection that may write would roll it back.
    if (!wal || !isAbsent(folderFd, name + "-journal"))
        return Reading::Shared;
    if (isAbsent(folderFd, name + "-wal"))
        return Reading::FileOnly;
    return isAbsent(folderFd, name + "-shm") ? Reading::Exclusive : Reading::ExclusiveElseShared;
}
