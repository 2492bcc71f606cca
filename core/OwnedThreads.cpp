#include "core/OwnedThreads.h"

OwnedThreads::~OwnedThreads()
{
    waitForAll();
}

void OwnedThreads::start(std::function<void()> job)
{
    joinFinished();
    std::lock_guard<std::mutex> lock(m_mutex);
    Worker &worker = m_workers.emplace_back();
    // The worker's node stays put in the list until its thread has been joined.
    worker.thread = std::thread([this, &worker, job = std::move(job)] {
        job();
        std::lock_guard<std::mutex> done(m_mutex);
        worker.finished = true;
    });
}

void OwnedThreads::waitForAll()
{
    std::list<Worker> all;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        all.splice(all.end(), m_workers);
    }
    for (Worker &worker : all)
        worker.thread.join();
}

void OwnedThreads::joinFinished()
{
    std::list<Worker> finished;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            auto next = std::next(it);
            if (it->finished)
                finished.splice(finished.end(), m_workers, it);
            it = next;
        }
    }
    for (Worker &worker : finished)
        worker.thread.join();
}
