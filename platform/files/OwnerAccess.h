#pragma once

#include <sys/stat.h>

// Plain C++ without Qt: the secure-removal tool builds this file too.
namespace platform {

// Adds the permission bits `bits` (of S_IRWXU) to the entry `name` of the open folder `dirFd`,
// as its owner's own `chmod u+...` would, so that removing the entry is not stopped by a mode
// the owner set. Only an entry the calling user owns is changed, and only the very one `seen`
// (an fstatat of it) describes: a name swapped meanwhile, or a symbolic link, is left alone.
// True when the entry has the bits afterwards, also when it had them already.
bool grantOwner(int dirFd, const char *name, const struct stat &seen, mode_t bits);

} // namespace platform
