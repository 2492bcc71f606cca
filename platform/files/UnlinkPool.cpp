#include "platform/files/UnlinkPool.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// Batches waiting per thread before the walker waits for room.
constexpr size_t queuedPerThread = 4;

// Unlinks every name, going on past failures; 0, or why the first that failed did.
int unlinkAll(int dirFd, const std::vector<QByteArray> &names)
{
    int error = 0;
    for (const QByteArray &name : names) {
        if (unlinkat(dirFd, name.constData(), 0) != 0 && error == 0)
            error = errno;
    }
    return error;
}

} // namespace

UnlinkPool::Folder::~Folder()
{
    if (m_fd >= 0)
        close(m_fd);
}

UnlinkPool::UnlinkPool(int threads)
{
    m_threads.reserve(size_t(threads));
    for (int i = 0; i < threads; ++i) {
        try {
            m_threads.emplace_back([this] { work(); });
        } catch (const std::system_error &) {
            break; // fewer threads, same result
        }
    }
}

UnlinkPool::~UnlinkPool()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void UnlinkPool::add(const FolderPtr &folder, std::vector<QByteArray> names)
{
    if (m_threads.empty()) {
        // No thread could be started: the caller's thread does the work.
        const int error = unlinkAll(folder->fd(), names);
        std::lock_guard lock(m_mutex);
        if (m_error == 0)
            m_error = error;
        return;
    }
    std::unique_lock lock(m_mutex);
    m_settled.wait(lock, [this] { return m_queue.size() < queuedPerThread * m_threads.size(); });
    m_queue.push_back({folder, std::move(names)});
    lock.unlock();
    m_wake.notify_one();
}

bool UnlinkPool::finish()
{
    std::unique_lock lock(m_mutex);
    m_settled.wait(lock, [this] { return m_queue.empty() && m_busy == 0; });
    if (m_error == 0)
        return true;
    errno = std::exchange(m_error, 0);
    return false;
}

void UnlinkPool::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopping, and nothing is left
        Batch batch = std::move(m_queue.front());
        m_queue.pop_front();
        ++m_busy;
        lock.unlock();
        m_settled.notify_all(); // room in the queue
        const int error = unlinkAll(batch.folder->fd(), batch.names);
        batch = {}; // the folder's handle goes with its last batch
        lock.lock();
        --m_busy;
        if (m_error == 0)
            m_error = error;
        if (m_queue.empty() && m_busy == 0)
            m_settled.notify_all();
    }
}

} // namespace platform
