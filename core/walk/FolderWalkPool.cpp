#include "core/walk/FolderWalkPool.h"

#include <fcntl.h>
#include <unistd.h>

FolderWalkPool::FolderWalkPool(DirectoryWalker::Mode mode, int maxThreads)
    : m_mode(mode)
    , m_maxThreads(maxThreads)
{}

FolderWalkPool::~FolderWalkPool()
{
    for (std::thread &t : m_threads)
        t.join();
    for (const Work &work : m_queue)
        close(work.fd);
}

bool FolderWalkPool::offer(int parentFd, const char *name)
{
    if (m_hunger.load(std::memory_order_relaxed) <= 0)
        return false;
    const int fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return true;
    queue({fd, {}});
    return true;
}

bool FolderWalkPool::offerEntries(int folderFd, std::vector<std::string> &names)
{
    if (!hungry())
        return false;
    const int fd = fcntl(folderFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return false;
    queue({fd, std::move(names)});
    names.clear();
    return true;
}

void FolderWalkPool::queue(Work work)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(work));
        updateHunger();
    }
    m_wake.notify_one();
}

void FolderWalkPool::progress(quint64 entriesSeen)
{
    if (!m_started && entriesSeen >= startThreshold && m_maxThreads > 1)
        startHelpers();
}

void FolderWalkPool::run(int folderFd, quint64 *bytes, quint64 *files)
{
    DirectoryWalker walker(m_mode, this, true);
    walker.walk(folderFd, false);
    if (m_started)
        help(walker);
    for (std::thread &t : m_threads)
        t.join();
    m_threads.clear();
    *bytes = walker.bytes() + m_bytes.load();
    *files = walker.files() + m_files.load();
}

void FolderWalkPool::startHelpers()
{
    m_started = true;
    const int helpers = m_maxThreads - 1;
    {
        std::lock_guard lock(m_mutex);
        m_participants = 1 + helpers;
    }
    m_threads.reserve(size_t(helpers));
    for (int i = 0; i < helpers; ++i)
        m_threads.emplace_back([this] { helperMain(); });
}

void FolderWalkPool::helperMain()
{
    DirectoryWalker walker(m_mode, this, false);
    help(walker);
    m_bytes += walker.bytes();
    m_files += walker.files();
}

void FolderWalkPool::help(DirectoryWalker &walker)
{
    Work work;
    while (takeWork(&work)) {
        if (work.names.empty()) {
            walker.walk(work.fd, true);
        } else {
            walker.sizeEntries(work.fd, work.names);
            close(work.fd);
        }
    }
}

bool FolderWalkPool::takeWork(Work *work)
{
    std::unique_lock lock(m_mutex);
    ++m_idle;
    updateHunger();
    for (;;) {
        if (!m_queue.empty()) {
            *work = std::move(m_queue.back());
            m_queue.pop_back();
            --m_idle;
            updateHunger();
            return true;
        }
        // Everybody idle and nothing queued: nobody is left to find more work.
        if (m_done || m_idle == m_participants) {
            if (!m_done) {
                m_done = true;
                m_hunger.store(0);
                m_wake.notify_all();
            }
            return false;
        }
        m_wake.wait(lock);
    }
}

void FolderWalkPool::updateHunger()
{
    m_hunger.store(m_done ? 0 : m_idle - int(m_queue.size()), std::memory_order_relaxed);
}
