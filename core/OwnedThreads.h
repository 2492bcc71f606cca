#pragma once

#include <functional>
#include <list>
#include <mutex>
#include <thread>

// Background jobs that somebody waits for: each runs on a thread of its own, and the
// destructor joins every one, so a removal still running when its owner goes (at quit)
// finishes instead of being cut off with the process. Finished threads are joined as new
// jobs start. Used from one thread (the owner's); the jobs themselves may run anywhere.
class OwnedThreads
{
public:
    OwnedThreads() = default;
    OwnedThreads(const OwnedThreads &) = delete;
    OwnedThreads &operator=(const OwnedThreads &) = delete;
    ~OwnedThreads();

    void start(std::function<void()> job);
    // Returns once every job started so far has ended.
    void waitForAll();

private:
    struct Worker
    {
        std::thread thread;
        bool finished = false;
    };
    void joinFinished();

    std::mutex m_mutex;
    std::list<Worker> m_workers;
};
