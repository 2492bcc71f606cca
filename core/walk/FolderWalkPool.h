#pragma once

#include "core/walk/DirectoryWalker.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Shares one folder walk out to helper threads. The walk begins on the calling thread alone;
// only once it has seen enough entries to pay for threads are helpers started. A walker hands
// over a sub-folder (as an open handle) only while some thread is idle, so the queue stays a
// handful of handles long and every thread otherwise walks depth-first on its own.
class FolderWalkPool
{
public:
    FolderWalkPool(DirectoryWalker::Mode mode, int maxThreads);
    ~FolderWalkPool();
    FolderWalkPool(const FolderWalkPool &) = delete;
    FolderWalkPool &operator=(const FolderWalkPool &) = delete;

    // Takes the sub-folder `name` of `parentFd` for another thread when one is idle; true
    // when it was taken (or could not be opened, which adds nothing either way).
    bool offer(int parentFd, const char *name);
    // Takes entries of the folder `folderFd` to be sized by another thread when one is idle
    // (a big flat folder has no sub-folders to share); true when they were taken.
    bool offerEntries(int folderFd, std::vector<std::string> &names);
    bool hungry() const { return m_hunger.load(std::memory_order_relaxed) > 0; }
    // The calling thread's walker reports the entries it has seen so far.
    void progress(quint64 entriesSeen);

    // Runs the whole walk below `folderFd` (owned by the caller) and returns its totals.
    void run(int folderFd, quint64 *bytes, quint64 *files);

    // Entries the calling thread reads before helpers are worth starting.
    static constexpr quint64 startThreshold = 512;

private:
    void startHelpers();
    void helperMain();
    // A folder to walk, or only the given entries of it to size.
    struct Work
    {
        int fd = -1;
        std::vector<std::string> names;
    };

    void help(DirectoryWalker &walker);
    bool takeWork(Work *work);
    void queue(Work work);
    void updateHunger();

    const DirectoryWalker::Mode m_mode;
    const int m_maxThreads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Work> m_queue;
    int m_participants = 1;
    int m_idle = 0;
    bool m_done = false;
    bool m_started = false;
    std::atomic<int> m_hunger{0}; // idle threads not yet served by a queued handle
    std::atomic<quint64> m_bytes{0};
    std::atomic<quint64> m_files{0};
    std::vector<std::thread> m_threads;
};
