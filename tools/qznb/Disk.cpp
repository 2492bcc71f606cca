#include "Disk.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qznb {

ssize_t Disk::write(int fd, const void *data, std::size_t length, off_t offset)
{
    return pwrite(fd, data, length, offset);
}

int Disk::syncData(int fd)
{
    const int result = fdatasync(fd);
    // Some file systems know only the full sync.
    if (result != 0 && errno == EINVAL)
        return fsync(fd);
    return result;
}

int Disk::syncFileSystem(int fd)
{
    return syncfs(fd);
}

int Disk::syncFolder(int dirFd)
{
    return fsync(dirFd);
}

int Disk::rename(int dirFd, const char *from, const char *to, unsigned int flags)
{
    if (flags == 0)
        return renameat(dirFd, from, dirFd, to);
    return renameat2(dirFd, from, dirFd, to, flags);
}

int Disk::unlink(int dirFd, const char *name, int flags)
{
    return unlinkat(dirFd, name, flags);
}

} // namespace qznb
