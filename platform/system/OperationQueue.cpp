#include "platform/system/OperationQueue.h"

namespace platform {

OperationQueue::OperationQueue()
    : m_worker([this] { run(); })
{}

OperationQueue::~OperationQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_operations.clear();
    }
    m_wake.notify_all();
    m_worker.join();
}

void OperationQueue::addOperation(std::function<void()> operation)
{
    {
        std::lock_guard lock(m_mutex);
        m_operations.push_back(std::move(operation));
    }
    m_wake.notify_all();
}

void OperationQueue::setSuspended(bool suspended)
{
    {
        std::lock_guard lock(m_mutex);
        m_suspended = suspended;
    }
    m_wake.notify_all();
}

bool OperationQueue::isSuspended() const
{
    std::lock_guard lock(m_mutex);
    return m_suspended;
}

void OperationQueue::cancelAllOperations()
{
    int count = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_operations.empty())
            return;
        m_operations.clear();
        count = m_running ? 1 : 0;
    }
    m_idle.notify_all();
    countDropped(count);
}

int OperationQueue::operationCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_operations.size()) + (m_running ? 1 : 0);
}

void OperationQueue::setOperationCountObserver(std::function<void(int)> observer)
{
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_stopping || (m_operations.empty() && !m_running); });
}

void OperationQueue::countDropped(int count)
{
    std::function<void(int)> observer;
    {
        std::lock_guard lock(m_mutex);
        observer = m_observer;
    }
    if (observer)
        observer(count);
}

void OperationQueue::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || (!m_suspended && !m_operations.empty()); });
        if (m_stopping)
            break;
        std::function<void()> operation = std::move(m_operations.front());
        m_operations.pop_front();
        m_running = true;
        lock.unlock();
        operation();
        operation = nullptr;
        lock.lock();
        m_running = false;
        const int count = int(m_operations.size());
        std::function<void(int)> observer = m_observer;
        lock.unlock();
        if (count == 0)
            m_idle.notify_all();
        if (observer)
            observer(count);
        lock.lock();
    }
    m_running = false;
    lock.unlock();
    m_idle.notify_all();
}

} // namespace platform
