#include "platform/files/OwnerAccess.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

bool same(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && (a.st_mode & S_IFMT) == (b.st_mode & S_IFMT);
}

// Without /proc: a handle that reads the entry can be changed directly (enough for a folder
// or file that is only missing its write bit).
bool grantThroughReadHandle(int dirFd, const char *name, const struct stat &seen, mode_t bits)
{
    const int flags =
        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (S_ISDIR(seen.st_mode) ? O_DIRECTORY : 0);
    const int fd = openat(dirFd, name, flags);
    if (fd < 0)
        return false;
    struct stat opened;
    const bool ok = fstat(fd, &opened) == 0 && same(opened, seen) && fchmod(fd, (opened.st_mode & 07777) | bits) == 0;
    close(fd);
    return ok;
}

} // namespace

bool grantOwner(int dirFd, const char *name, const struct stat &seen, mode_t bits)
{
    if ((seen.st_mode & bits) == bits)
        return true;
    if (seen.st_uid != geteuid() || S_ISLNK(seen.st_mode))
        return false;
    // A path handle opens even a folder at 000; it names the entry itself, never a link's target.
    const int fd = openat(dirFd, name, O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat opened;
    bool ok = fstat(fd, &opened) == 0 && same(opened, seen);
    if (ok) {
        // fchmod refuses a path handle, but its entry under /proc leads to that very file.
        char self[48];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
        ok = chmod(self, (opened.st_mode & 07777) | bits) == 0;
        if (!ok && errno == ENOENT) // no /proc here
            ok = grantThroughReadHandle(dirFd, name, seen, bits);
    }
    close(fd);
    return ok;
}

} // namespace platform
