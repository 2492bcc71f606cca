#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QTimer;

namespace platform {

// A one-shot timer on the main thread's event loop (timers are made and fired there only). It fires once, then
// invalidates itself and is deleted later; invalidate() stops it before it fires. A timer given an owner goes away with
// that owner, so a handler never runs on a destroyed controller.
class Timer : public QObject
{
    Q_OBJECT
public:
    static QPointer<Timer> scheduledTimer(double seconds, QObject *owner, std::function<void()> fire);

    ~Timer() override;

    double timeInterval() const { return m_seconds; }
    bool isValid() const { return m_valid; }
    void invalidate();
    // Runs the handler now (once) and invalidates the timer.
    void fire();

    // Test seam: the valid timers, oldest first. A test can read their intervals and fire
    // them instead of waiting.
    static QList<QPointer<Timer>> pendingTimers();
    // Fires every pending timer (and those they schedule) until none is left or `limit`
    // timers have fired. Returns the number fired.
    static int fireAllPending(int limit = 100);

private:
    Timer(double seconds, QObject *owner, std::function<void()> fire);

    double m_seconds = 0;
    bool m_valid = true;
    std::function<void()> m_fire;
    QTimer *m_timer = nullptr;
};

} // namespace platform
