#include "platform/MainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform {

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
    struct Handoff {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
    };
    struct Release {
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
    QMetaObject::invokeMethod(app, [&fn, release = std::move(release)] { fn(); },
                              Qt::QueuedConnection);
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
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

} // namespace platform
