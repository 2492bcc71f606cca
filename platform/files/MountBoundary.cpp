#include "platform/files/MountBoundary.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace platform {

bool isMountBoundary(int dirFd, const char *name, dev_t parentDev)
{
    struct statx stx;
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_INO, &stx) != 0)
        return true;
    if (makedev(stx.stx_dev_major, stx.stx_dev_minor) != parentDev)
        return true;
    // A bind mount of the same file system shares its device: only the mount-root attribute
    // (where the system reports it) tells it apart.
    return (stx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) && (stx.stx_attributes & STATX_ATTR_MOUNT_ROOT);
}

} // namespace platform
