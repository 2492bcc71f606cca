#include "platform/files/FileTree.h"

#include "platform/files/FileManager.h"
#include "platform/files/FolderEntries.h"
#include "platform/files/TreeRemoval.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

namespace platform::filetree {

namespace {

std::vector<QByteArray> namesIn(int dirFd)
{
    std::vector<QByteArray> names;
    for (DirEntry &entry : entriesIn(dirFd))
        names.push_back(std::move(entry.name));
    return names;
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
    return TreeRemoval::run(dirFd, name);
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
            isDir = fstatat(dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
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
