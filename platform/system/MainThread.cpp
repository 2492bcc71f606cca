#include "platform/system/MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// Calls from other threads travel through our own queue: each is put in under our lock, which
// is still held while Qt's wake-up for it is queued, and taken out under that lock on the main
// thread. Everything the caller built is thus handed over in an order the thread checker can
// follow; Qt's own queue, which it cannot see into, carries nothing of ours.
std::mutex queueMutex;
std::deque<std::function<void()>> queue;

// One wake-up per queued call, in the same order. A wake-up dropped at shutdown still takes its
// call out, so that what the call holds is released.
struct Wake
{
    bool taken = false;
    std::function<void()> take()
    {
        std::lock_guard lock(queueMutex);
        taken = true;
        if (queue.empty())
            return {};
        std::function<void()> fn = std::move(queue.front());
        queue.pop_front();
        return fn;
    }
    ~Wake()
    {
        if (!taken)
            take();
    }
};

void enqueue(QCoreApplication *app, std::function<void()> fn)
{
    auto wake = std::make_shared<Wake>();
    std::lock_guard lock(queueMutex);
    queue.push_back(std::move(fn));
    QMetaObject::invokeMethod(
        app,
        [wake = std::move(wake)] {
            if (const std::function<void()> fn = wake->take())
                fn();
        },
        Qt::QueuedConnection);
}

} // namespace

bool MainThread::isMainThread()
{
    QCoreApplication *app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

void MainThread::performAndWait(const std::function<void()> &fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || isMainThread()) {
        fn();
        return;
    }
    // Hand over through our own lock rather than a blocking queued call, so the ordering
    // between the two threads is visible to thread checkers as well. The waiter is released
    // when the queued call is gone, whether it ran or was dropped at shutdown.
    struct Handoff
    {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
    };
    struct Release
    {
        std::shared_ptr<Handoff> handoff;
        ~Release()
        {
            std::lock_guard lock(handoff->mutex);
            handoff->done = true;
            handoff->finished.notify_one();
        }
    };
    auto handoff = std::make_shared<Handoff>();
    auto release = std::make_shared<Release>();
    release->handoff = handoff;
    enqueue(app, [&fn, release = std::move(release)] { fn(); });
    std::unique_lock lock(handoff->mutex);
    handoff->finished.wait(lock, [&] { return handoff->done; });
}

void MainThread::dispatch(std::function<void()> fn)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app) {
        fn();
        return;
    }
    if (isMainThread())
        QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
    else
        enqueue(app, std::move(fn));
}

} // namespace platform
