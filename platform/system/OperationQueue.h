#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

// A serial operation queue: one worker thread runs the operations one after the other, in
// the order they were added. It starts suspended, so a whole batch can be added before the
// first one runs. The worker sleeps while there is nothing to do.
class OperationQueue
{
public:
    OperationQueue();
    // Drops what has not started and waits for the running operation to return.
    ~OperationQueue();
    OperationQueue(const OperationQueue &) = delete;
    OperationQueue &operator=(const OperationQueue &) = delete;

    void addOperation(std::function<void()> operation);
    void setSuspended(bool suspended);
    bool isSuspended() const;
    // Operations that have not started are dropped; the running one goes on.
    void cancelAllOperations();
    // Operations waiting or running.
    int operationCount() const;
    // Called with the new count each time it goes down, on the thread that lowered it (the
    // worker when an operation returns). Set it before the queue is resumed.
    void setOperationCountObserver(std::function<void(int count)> observer);
    // Returns when nothing waits or runs (a suspended queue with work never gets there).
    void waitUntilAllOperationsAreFinished();

private:
    void run();
    void countDropped(int count);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_operations;
    std::function<void(int)> m_observer;
    bool m_suspended = true;
    bool m_running = false;
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace platform
