#include "platform/system/ApplicationWatcher.h"

#include "platform/system/NotificationCenter.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <atomic>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

const QString &launchName = Workspace::DidLaunchApplicationNotification;
const QString &terminateName = Workspace::DidTerminateApplicationNotification;

// A recycled process number running another bundle is another application.
bool sameApplication(const RunningApplication &a, const RunningApplication &b)
{
    return a.processIdentifier == b.processIdentifier && a.bundlePath == b.bundlePath;
}

bool listed(const QList<RunningApplication> &list, const RunningApplication &app)
{
    for (const RunningApplication &other : list) {
        if (sameApplication(other, app))
            return true;
    }
    return false;
}

} // namespace

ApplicationWatcher::ApplicationWatcher()
{
    m_timer.setInterval(pollInterval);
    connect(&m_timer, &QTimer::timeout, this, &ApplicationWatcher::poll);
}

ApplicationWatcher &ApplicationWatcher::instance()
{
    static ApplicationWatcher *watcher = new ApplicationWatcher; // lives as long as the process
    return *watcher;
}

void ApplicationWatcher::ensureStarted()
{
    static std::atomic<bool> queued{false};
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || queued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        app,
        [] {
            ApplicationWatcher &watcher = instance();
            if (!watcher.m_timer.isActive())
                watcher.m_timer.start();
        },
        Qt::QueuedConnection);
}

void ApplicationWatcher::poll()
{
    // A handler that runs a nested event loop must not start a second round.
    if (m_polling)
        return;
    const NotificationCenter &center = NotificationCenter::workspaceCenter();
    if (center.observerCount(launchName) == 0 && center.observerCount(terminateName) == 0) {
        m_watching = false;
        m_known.clear();
        return;
    }
    const QList<RunningApplication> now = Workspace::sharedWorkspace().runningApplications();
    if (!m_watching) {
        m_known = now;
        m_watching = true;
        return;
    }
    m_polling = true;
    const QList<RunningApplication> before = std::exchange(m_known, now);
    for (const RunningApplication &app : before) {
        if (!listed(now, app))
            post(terminateName, app);
    }
    for (const RunningApplication &app : now) {
        if (!listed(before, app))
            post(launchName, app);
    }
    m_polling = false;
}

void ApplicationWatcher::post(const QString &name, const RunningApplication &app) const
{
    const QVariantMap info{
        {Workspace::ApplicationBundleIdentifierKey, app.bundleIdentifier},
        {Workspace::ApplicationNameKey, app.localizedName},
        {Workspace::ApplicationPathKey, app.bundlePath},
        {Workspace::ApplicationProcessIdentifierKey, int(app.processIdentifier)},
    };
    NotificationCenter::workspaceCenter().post(name, &Workspace::sharedWorkspace(), info);
}

} // namespace platform
