#include "platform/files/FolderEntries.h"

#include <cstring>
#include <dirent.h>
#include <unistd.h>

namespace platform::filetree {

bool isDotOrDotDot(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

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

} // namespace platform::filetree
