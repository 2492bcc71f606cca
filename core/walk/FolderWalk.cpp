#include "core/walk/FolderWalk.h"

#include "core/walk/FolderWalkPool.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

int defaultThreads()
{
    // Past four threads a warm walk gains little and a cold one just queues on the disk.
    return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

std::atomic<int> &threadLimit()
{
    static std::atomic<int> limit{defaultThreads()};
    return limit;
}

FolderWalk::Totals walkFolder(int folderFd, DirectoryWalker::Mode mode)
{
    FolderWalk::Totals totals;
    FolderWalkPool pool(mode, threadLimit().load());
    pool.run(folderFd, &totals.bytes, &totals.files);
    return totals;
}

FolderWalk::Totals walkPath(const QByteArray &path, DirectoryWalker::Mode mode)
{
    if (path.isEmpty())
        return {};
    // The measured item itself is not followed either when it is a link.
    const int fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    const FolderWalk::Totals totals = walkFolder(fd, mode);
    close(fd);
    return totals;
}

} // namespace

quint64 FolderWalk::sizeAtPath(const QByteArray &path)
{
    return walkPath(path, DirectoryWalker::Mode::Size).bytes;
}

quint64 FolderWalk::countAtPath(const QByteArray &path)
{
    return walkPath(path, DirectoryWalker::Mode::Count).files;
}

quint64 FolderWalk::sizeAtFolder(int folderFd)
{
    return walkFolder(folderFd, DirectoryWalker::Mode::Size).bytes;
}

void FolderWalk::setMaximumThreads(int threads)
{
    threadLimit().store(std::max(1, threads));
}
