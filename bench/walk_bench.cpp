// Measures a folder tree the way the file service does:
//   walk_bench size PATH   -> bytes=N
//   walk_bench count PATH  -> files=N
// WALK_THREADS=n caps the threads one walk may use.
#include "core/walk/FolderWalk.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "size") != 0 && std::strcmp(argv[1], "count") != 0)) {
        std::fprintf(stderr, "usage: %s size|count PATH\n", argv[0]);
        return 2;
    }
    if (const char *threads = std::getenv("WALK_THREADS"))
        FolderWalk::setMaximumThreads(std::atoi(threads));
    const QByteArray path(argv[2]);
    if (std::strcmp(argv[1], "size") == 0)
        std::printf("bytes=%llu\n", static_cast<unsigned long long>(FolderWalk::sizeAtPath(path)));
    else
        std::printf("files=%llu\n", static_cast<unsigned long long>(FolderWalk::countAtPath(path)));
    return 0;
}
