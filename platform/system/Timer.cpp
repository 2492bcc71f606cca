#include "platform/system/Timer.h"

#include <QTimer>

#include <cmath>

namespace platform {

namespace {
// Only touched on the thread that runs the timers (the main thread in practice).
QList<Timer *> &registry()
{
    static QList<Timer *> timers;
    return timers;
}
} // namespace

Timer::Timer(double seconds, QObject *owner, std::function<void()> fire)
    : QObject(owner)
    , m_seconds(seconds)
    , m_fire(std::move(fire))
    , m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(int(std::lround(std::max(0.0, seconds) * 1000.0)));
    connect(m_timer, &QTimer::timeout, this, &Timer::fire);
    registry().append(this);
}

Timer::~Timer()
{
    registry().removeAll(this);
}

QPointer<Timer> Timer::scheduledTimer(double seconds, QObject *owner, std::function<void()> fire)
{
    auto *timer = new Timer(seconds, owner, std::move(fire));
    timer->m_timer->start();
    return timer;
}

void Timer::invalidate()
{
    if (!m_valid)
        return;
    m_valid = false;
    m_timer->stop();
    registry().removeAll(this);
    deleteLater();
}

void Timer::fire()
{
    if (!m_valid)
        return;
    // Invalidate first: the handler may schedule new timers or destroy the owner.
    auto handler = std::move(m_fire);
    invalidate();
    if (handler)
        handler();
}

QList<QPointer<Timer>> Timer::pendingTimers()
{
    QList<QPointer<Timer>> out;
    for (Timer *t : registry())
        out.append(t);
    return out;
}

int Timer::fireAllPending(int limit)
{
    int fired = 0;
    while (fired < limit && !registry().isEmpty()) {
        registry().first()->fire();
        ++fired;
    }
    return fired;
}

} // namespace platform
