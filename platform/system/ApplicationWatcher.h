#pragma once

#include "platform/system/Workspace.h"

#include <QList>
#include <QObject>
#include <QTimer>

namespace platform {

// Turns the running-application list into launch and termination notices on the workspace
// centre. It lives on the main thread and polls about four times a second, but only reads
// the process list while someone observes one of the two notices; the first poll after
// observing starts takes the list as it stands, later polls post the differences.
class ApplicationWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr int pollInterval = 250; // ms

    // Main thread only.
    static ApplicationWatcher &instance();
    // Any thread, also before the event loop runs: the timer is started from the main loop.
    static void ensureStarted();

    // True once a list has been taken since observation began.
    bool isWatching() const { return m_watching; }

private:
    ApplicationWatcher();
    void poll();
    void post(const QString &name, const RunningApplication &app) const;

    QTimer m_timer;
    QList<RunningApplication> m_known;
    bool m_watching = false;
    bool m_polling = false;
};

} // namespace platform
