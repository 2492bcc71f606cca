#include "platform/files/FileTree.h"

#include "platform/files/FileManager.h"
#include "platform/files/MountBoundary.h"
#include "platform/files/OwnerAccess.h"
#include "platform/files/UnlinkPool.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <utility>
#include <vector>

namespace platform::filetree {

namespace {

// Files a walk meets before its unlinks are shared out to threads, and how many threads.
constexpr size_t unlinkThreadsFrom = 1024;
constexpr int unlinkThreads = 16;
// Emptied folders that may wait for the threads at a time (each may hold a handle).
constexpr size_t deferredFolders = 128;

bool isDotOrDotDot(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

// The names inside an open folder; the descriptor stays open.
struct DirEntry {
    QByteArray name;
    unsigned char type; // d_type: DT_UNKNOWN when the file system does not tell
};

std::vector<DirEntry> entriesIn(int dirFd)
{
    std::vector<DirEntry> entries;
    const int fd = dup(dirFd);
    if (fd < 0)
        return entries;
    DIR *dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return entries;
    }
    rewinddir(dir);
    while (dirent *e = readdir(dir)) {
        if (!isDotOrDotDot(e->d_name))
            entries.push_back({QByteArray(e->d_name), e->d_type});
    }
    closedir(dir);
    return entries;
}

std::vector<QByteArray> namesIn(int dirFd)
{
    std::vector<QByteArray> names;
    for (DirEntry &entry : entriesIn(dirFd))
        names.push_back(std::move(entry.name));
    return names;
}

// Opens the folder `name` below `at` only when it is the one identified by dev/ino; -1 else.
int openSameFolder(int at, const char *name, dev_t dev, ino_t ino)
{
    const int fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened;
    if (fd >= 0 && fstat(fd, &opened) == 0 && opened.st_dev == dev && opened.st_ino == ino)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

bool copyFileData(int in, int out)
{
    char buffer[65536];
    for (;;) {
        ssize_t n = read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        for (const char *p = buffer; n > 0;) {
            const ssize_t w = write(out, p, size_t(n));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                return false;
            p += w;
            n -= w;
        }
    }
}

// Copies one entry; *created tells whether the new name was made (and so must be cleaned up).
bool copyEntry(int srcDir, const char *srcName, int dstDir, const char *dstName, bool *created)
{
    *created = false;
    struct stat st;
    if (fstatat(srcDir, srcName, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    const timespec times[2] = {st.st_atim, st.st_mtim};
    const bool root = geteuid() == 0;

    if (S_ISLNK(st.st_mode)) {
        QByteArray target(int(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = readlinkat(srcDir, srcName, target.data(), size_t(target.size()));
        if (n < 0 || n >= target.size())
            return false;
        target.truncate(int(n));
        if (symlinkat(target.constData(), dstDir, dstName) != 0)
            return false;
        *created = true;
        utimensat(dstDir, dstName, times, AT_SYMLINK_NOFOLLOW);
        if (root)
            (void)fchownat(dstDir, dstName, st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
        return true;
    }

    if (S_ISREG(st.st_mode)) {
        const int in = openat(srcDir, srcName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (in < 0)
            return false;
        const int out = openat(dstDir, dstName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (out < 0) {
            close(in);
            return false;
        }
        *created = true;
        bool ok = copyFileData(in, out);
        if (root)
            (void)fchown(out, st.st_uid, st.st_gid);
        ok = fchmod(out, st.st_mode & 07777) == 0 && ok;
        futimens(out, times);
        ok = close(out) == 0 && ok;
        close(in);
        return ok;
    }

    if (S_ISDIR(st.st_mode)) {
        const int in = openat(srcDir, srcName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (in < 0)
            return false;
        if (mkdirat(dstDir, dstName, 0700) != 0) {
            close(in);
            return false;
        }
        *created = true;
        const int out = openat(dstDir, dstName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        bool ok = out >= 0;
        for (const QByteArray &child : ok ? namesIn(in) : std::vector<QByteArray>()) {
            bool childCreated = false;
            if (!copyEntry(in, child.constData(), out, child.constData(), &childCreated)) {
                ok = false;
                break;
            }
        }
        if (out >= 0) {
            // Permissions last: a read-only folder still had to take its contents.
            if (root)
                (void)fchown(out, st.st_uid, st.st_gid);
            ok = fchmod(out, st.st_mode & 07777) == 0 && ok;
            futimens(out, times);
            close(out);
        }
        close(in);
        return ok;
    }

    // Pipes, sockets and devices are made anew (devices only where that is allowed).
    if (mknodat(dstDir, dstName, st.st_mode, st.st_rdev) != 0)
        return false;
    *created = true;
    return true;
}

} // namespace

bool removeTree(int dirFd, const char *name)
{
    struct stat st;
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return unlinkat(dirFd, name, 0) == 0;

    // A folder level being emptied. Only the deepest levels keep their handles open: however
    // deep the tree, the walk needs a bounded number of descriptors and no recursion.
    struct Level {
        QByteArray name; // in its parent
        int fd = -1;
        dev_t dev = 0;
        ino_t ino = 0;
        std::vector<DirEntry> entries; // read whole before anything in it is removed
        size_t next = 0;
        UnlinkPool::FolderPtr shared; // its handle for the unlink threads, once they need it
    };
    constexpr size_t openLevels = 32;
    std::vector<Level> stack;
    bool ok = true;

    // A big tree's files are unlinked by a few threads; a folder then goes only once they are
    // done with it, so its removal waits in a list (each holding its parent's handle) until
    // the threads have caught up.
    struct Deferred {
        UnlinkPool::FolderPtr parent;
        QByteArray name;
    };
    std::unique_ptr<UnlinkPool> pool;
    std::vector<Deferred> deferred;
    size_t filesSeen = 0;
    auto catchUp = [&] {
        if (!pool)
            return;
        ok = pool->finish() && ok;
        for (const Deferred &folder : deferred)
            ok = unlinkat(folder.parent->fd(), folder.name.constData(), AT_REMOVEDIR) == 0 && ok;
        deferred.clear();
    };
    auto sharedHandle = [](Level &level) -> const UnlinkPool::FolderPtr & {
        if (!level.shared)
            level.shared = std::make_shared<const UnlinkPool::Folder>(fcntl(level.fd, F_DUPFD_CLOEXEC, 0));
        return level.shared;
    };
    // Hands what the listing says is a file (or link, or anything but a folder) to the threads;
    // unlinkat never follows a link, and refuses a folder that took the name meanwhile.
    auto shareFiles = [&](Level &level) {
        std::vector<DirEntry> kept;
        std::vector<QByteArray> batch;
        for (DirEntry &entry : level.entries) {
            if (entry.type == DT_DIR || entry.type == DT_UNKNOWN) {
                kept.push_back(std::move(entry));
                continue;
            }
            batch.push_back(std::move(entry.name));
            if (batch.size() == UnlinkPool::batchSize)
                pool->add(sharedHandle(level), std::exchange(batch, {}));
        }
        if (!batch.empty())
            pool->add(sharedHandle(level), std::move(batch));
        level.entries = std::move(kept);
    };

    auto enter = [&](int parentFd, const QByteArray &childName, const struct stat &seen) {
        // Another file system mounted inside is not the item's: it stays, and so does the
        // folder holding it.
        const dev_t parentDev = stack.empty() ? st.st_dev : stack.back().dev;
        if (isMountBoundary(parentFd, childName.constData(), parentDev))
            return false;
        // Our own folder that we may not list or change: give ourselves the right first, as
        // `chmod u+rwx` would (a folder of someone else's is left as it is).
        grantOwner(parentFd, childName.constData(), seen, S_IRWXU);
        const int fd = openSameFolder(parentFd, childName.constData(), seen.st_dev, seen.st_ino);
        if (fd < 0)
            return false;
        Level level;
        level.name = childName;
        level.fd = fd;
        level.dev = seen.st_dev;
        level.ino = seen.st_ino;
        level.entries = entriesIn(fd);
        for (const DirEntry &entry : level.entries)
            filesSeen += entry.type != DT_DIR;
        if (!pool && filesSeen >= unlinkThreadsFrom)
            pool = std::make_unique<UnlinkPool>(unlinkThreads);
        if (pool)
            shareFiles(level);
        stack.push_back(std::move(level));
        if (stack.size() > openLevels + 1) {
            Level &oldest = stack[stack.size() - openLevels - 1];
            if (oldest.fd >= 0 && stack.size() - openLevels - 1 > 0) {
                close(oldest.fd);
                oldest.fd = -1;
            }
        }
        return true;
    };
    // The parent of the top level, reopened through ".." when its handle was closed, and
    // only when it is still the very folder that was left.
    constexpr int lost = -1; // AT_FDCWD is a negative descriptor too, but never -1
    static_assert(AT_FDCWD != lost);
    auto parentOfTop = [&]() -> int {
        if (stack.size() == 1)
            return dirFd;
        Level &parent = stack[stack.size() - 2];
        if (parent.fd >= 0)
            return parent.fd;
        const int fd = openSameFolder(stack.back().fd, "..", parent.dev, parent.ino);
        if (fd < 0)
            return lost;
        parent.fd = fd;
        return fd;
    };

    if (!enter(dirFd, QByteArray(name), st))
        return false;
    while (!stack.empty()) {
        Level &top = stack.back();
        if (top.next < top.entries.size()) {
            const DirEntry &entry = top.entries[top.next++];
            const QByteArray child = entry.name;
            if (entry.type != DT_DIR && entry.type != DT_UNKNOWN) {
                if (unlinkat(top.fd, child.constData(), 0) == 0)
                    continue;
                if (errno != EISDIR && errno != EPERM) {
                    ok = false;
                    continue;
                }
            }
            struct stat cst;
            if (fstatat(top.fd, child.constData(), &cst, AT_SYMLINK_NOFOLLOW) != 0) {
                ok = false;
                continue;
            }
            if (!S_ISDIR(cst.st_mode))
                ok = unlinkat(top.fd, child.constData(), 0) == 0 && ok;
            else if (!enter(top.fd, child, cst))
                ok = false;
            continue;
        }
        const int parentFd = parentOfTop();
        const QByteArray doneName = top.name;
        close(top.fd);
        stack.pop_back();
        if (parentFd == lost) {
            // The way back up has changed under us: stop rather than remove by a name that
            // may now mean something else.
            for (const Level &level : stack) {
                if (level.fd >= 0)
                    close(level.fd);
            }
            catchUp();
            return false;
        }
        if (pool && !stack.empty()) {
            deferred.push_back({sharedHandle(stack.back()), doneName});
            if (deferred.size() >= deferredFolders)
                catchUp();
            continue;
        }
        catchUp();
        ok = unlinkat(parentFd, doneName.constData(), AT_REMOVEDIR) == 0 && ok;
    }
    return ok;
}

void enumerate(int dirFd, const QString &prefix, QStringList &out)
{
    enumerate(dirFd, prefix, [&out](const QString &rel) {
        out.append(rel);
        return true;
    });
}

bool enumerate(int dirFd, const QString &prefix, const std::function<bool(const QString &)> &visit)
{
    DIR *dir = fdopendir(dirFd);
    if (!dir) {
        close(dirFd);
        return true;
    }
    bool goOn = true;
    while (goOn) {
        dirent *e = readdir(dir);
        if (!e)
            break;
        if (isDotOrDotDot(e->d_name))
            continue;
        const QString rel = prefix + decodePath(QByteArray(e->d_name));
        if (!visit(rel)) {
            goOn = false;
            break;
        }
        bool isDir = e->d_type == DT_DIR;
        if (e->d_type == DT_UNKNOWN) {
            struct stat st;
            isDir = fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0
                    && S_ISDIR(st.st_mode);
        }
        if (!isDir)
            continue;
        const int fd = openat(dirfd(dir), e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0)
            goOn = enumerate(fd, rel + QLatin1Char('/'), visit);
    }
    closedir(dir);
    return goOn;
}

bool copyTree(const QByteArray &from, const QByteArray &to)
{
    bool created = false;
    if (copyEntry(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), &created))
        return true;
    if (created)
        removeTree(AT_FDCWD, to.constData());
    return false;
}

} // namespace platform::filetree
