#pragma once

#include <cstddef>
#include <sys/types.h>

namespace qznb {

// The calls that change what lies on the disk, in one place, so that the order of writes,
// syncs and removals can be followed. Each answers 0 (or the bytes written) on success and
// -1 with errno set on failure, like the system calls behind it.
class Disk
{
public:
    virtual ~Disk() = default;

    virtual ssize_t write(int fd, const void *data, std::size_t length, off_t offset);
    // Makes one file's data durable.
    virtual int syncData(int fd);
    // Makes everything written on the file system holding `fd` durable, with one call.
    virtual int syncFileSystem(int fd);
    // Makes a folder's entries (renames) durable.
    virtual int syncFolder(int dirFd);
    virtual int rename(int dirFd, const char *from, const char *to, unsigned int flags);
    virtual int unlink(int dirFd, const char *name, int flags);
};

} // namespace qznb
