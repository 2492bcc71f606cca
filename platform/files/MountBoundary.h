#pragma once

#include <sys/types.h>

// Plain C++ without Qt: the secure-removal tool builds this file too.
namespace platform {

// Whether the entry `name` of the open folder `dirFd` is where another mount begins: a folder
// on another device than `parentDev` (the folder it lies in), or the root of a mount of the
// same device (a bind mount). A removal stops there: what is mounted is not the item's.
// An entry that cannot be looked at is answered as a boundary too.
bool isMountBoundary(int dirFd, const char *name, dev_t parentDev);

} // namespace platform
