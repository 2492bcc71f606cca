#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

// For a call that must come back: when the scope is still running after `seconds`, the test
// stops there saying what hung, instead of waiting for the test runner's own limit. A call
// that never returns cannot be unwound, so the stop is fatal. Give a wide margin: the limit
// catches a hang, it does not measure speed.
class Deadline
{
public:
    Deadline(int seconds, const QByteArray &what)
        : m_watch([this, seconds, what] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; }))
                qFatal("still running after %d s: %s", seconds, what.constData());
        })
    {}
    ~Deadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_all();
        m_watch.join();
    }
    Deadline(const Deadline &) = delete;
    Deadline &operator=(const Deadline &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_watch; // last: starts once the members it waits on exist
};
