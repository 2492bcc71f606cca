#include "core/RemovalCheck.h"

#include "platform/files/MountBoundary.h"
#include "platform/files/PathEncoding.h"

#include <QByteArray>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <vector>

using namespace Qt::StringLiterals;

namespace {

bool statEntry(int dirFd, const char *name, struct statx *stx)
{
    return statx(dirFd, name, AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_MODE | STATX_UID, stx) == 0;
}

// Why this one entry cannot go (through a folder the user may empty), or nothing.
const char *entryObstacle(int dirFd, const char *name, const struct statx &stx, const struct statx &folder,
                          bool overwrite)
{
    const uid_t me = geteuid();
    if (stx.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND))
        return "immutable";
    if (me == 0)
        return nullptr;
    // In a folder with the sticky bit only the entry's owner (or the folder's) may remove it.
    if ((folder.stx_mode & S_ISVTX) && folder.stx_uid != me && stx.stx_uid != me)
        return "owned by another user";
    if (overwrite && S_ISREG(stx.stx_mode) && stx.stx_uid != me && faccessat(dirFd, name, W_OK, AT_EACCESS) != 0)
        return "cannot be overwritten by this user";
    return nullptr;
}

// A folder below the item's own, reached from it without a link and without leaving its
// mount; plain no-follow opens where the system cannot promise that.
int openBelow(int topFd, const QByteArray &rel)
{
    if (rel == ".")
        return fcntl(topFd, F_DUPFD_CLOEXEC, 0);
    struct open_how how = {};
    how.flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS;
    const long fd = syscall(SYS_openat2, topFd, rel.constData(), &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS)
        return int(fd);
    return openat(topFd, rel.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

std::optional<QString> RemovalCheck::obstacle(const QString &path, bool overwrite)
{
    const QByteArray p = platform::encodePath(path);
    if (p.isEmpty())
        return std::nullopt;
    // The folders above are the user's own arrangement, followed; the item itself is not.
    const qsizetype slash = p.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : p.left(slash);
    const int dirFd = open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return std::nullopt; // nothing there is nothing in the way
    const auto found = obstacle(dirFd, p.mid(slash + 1), overwrite);
    close(dirFd);
    return found;
}

std::optional<QString> RemovalCheck::obstacle(int dirFd, const QByteArray &name, bool overwrite)
{
    const QByteArray p = name;
    struct statx top;
    if (p.isEmpty() || !statEntry(dirFd, p.constData(), &top))
        return std::nullopt; // nothing there is nothing in the way
    const uid_t me = geteuid();
    if (top.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND))
        return u".: immutable"_s;
    if (overwrite && S_ISREG(top.stx_mode) && me != 0 && top.stx_uid != me
        && faccessat(AT_FDCWD, p.constData(), W_OK, AT_EACCESS) != 0)
        return u".: cannot be overwritten by this user"_s;
    if (!S_ISDIR(top.stx_mode))
        return std::nullopt;
    const dev_t device = makedev(top.stx_dev_major, top.stx_dev_minor);
    if (platform::isMountBoundary(dirFd, p.constData(), device))
        return u".: another file system is mounted here"_s;
    const int topFd = openat(dirFd, p.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct statx opened;
    if (topFd < 0 || statx(topFd, "", AT_EMPTY_PATH, STATX_INO, &opened) != 0 || opened.stx_ino != top.stx_ino) {
        if (topFd >= 0)
            close(topFd);
        if (errno == EACCES && top.stx_uid != me && me != 0)
            return u".: owned by another user and not readable"_s;
        return std::nullopt; // the removal opens up a folder of the user's own
    }

    // Folders still to look into, relative to the item: an explicit stack, so that a deep tree
    // cannot exhaust ours, and no descriptor is held for a folder not yet reached.
    struct Pending
    {
        QByteArray rel;
        struct statx stx;
    };
    std::vector<Pending> stack{{QByteArray("."), top}};
    std::optional<QString> found;
    while (!found && !stack.empty()) {
        const Pending folder = std::move(stack.back());
        stack.pop_back();
        const int folderFd = openBelow(topFd, folder.rel);
        DIR *dir = folderFd >= 0 ? fdopendir(folderFd) : nullptr;
        if (!dir) {
            if (folderFd >= 0)
                close(folderFd);
            // A folder of the user's own that cannot be read now is opened up by the removal.
            if (errno == EACCES && folder.stx.stx_uid != me && me != 0)
                found = platform::decodePath(folder.rel) + u": owned by another user and not readable"_s;
            continue;
        }
        const int fd = dirfd(dir);
        // Only the owner can open up a folder it may not write in.
        const bool mayEmpty = me == 0 || folder.stx.stx_uid == me || faccessat(fd, ".", W_OK | X_OK, AT_EACCESS) == 0;
        while (dirent *e = readdir(dir)) {
            if (e->d_name[0] == '.' && (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0)))
                continue;
            const QByteArray rel = (folder.rel == "." ? QByteArray() : folder.rel + '/') + e->d_name;
            if (!mayEmpty) {
                found = platform::decodePath(folder.rel) + u": owned by another user"_s;
                break;
            }
            struct statx stx;
            if (!statEntry(fd, e->d_name, &stx))
                continue; // gone meanwhile
            if (const char *why = entryObstacle(fd, e->d_name, stx, folder.stx, overwrite)) {
                found = platform::decodePath(rel) + u": "_s + QLatin1String(why);
                break;
            }
            if (!S_ISDIR(stx.stx_mode))
                continue;
            if (platform::isMountBoundary(fd, e->d_name, device)) {
                found = platform::decodePath(rel) + u": another file system is mounted here"_s;
                break;
            }
            stack.push_back({rel, stx});
        }
        closedir(dir);
    }
    close(topFd);
    return found;
}
