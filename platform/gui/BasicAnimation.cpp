#include "platform/gui/BasicAnimation.h"

#include <QVariantAnimation>

#include <cmath>

namespace platform {

namespace {
// Running animations, oldest first; main thread only.
QList<QPointer<BasicAnimation>> &running()
{
    static QList<QPointer<BasicAnimation>> list;
    return list;
}
} // namespace

BasicAnimation::BasicAnimation(const QString &keyPath, QObject *parent)
    : QObject(parent)
    , m_keyPath(keyPath)
    , m_animation(new QVariantAnimation(this))
{
    connect(m_animation, &QVariantAnimation::valueChanged, this, &BasicAnimation::valueChanged);
    connect(m_animation, &QAbstractAnimation::finished, this, [this] { ended(true); });
}

BasicAnimation::~BasicAnimation()
{
    running().removeAll(this);
}

void BasicAnimation::start()
{
    if (isRunning())
        return;
    m_finished = false;
    m_ended = false;
    m_animation->setStartValue(m_from);
    m_animation->setEndValue(m_to);
    m_animation->setDuration(int(std::lround(std::max(0.0, m_duration) * 1000.0)));
    running().append(this);
    m_animation->start();
}

void BasicAnimation::stop()
{
    if (!isRunning())
        return;
    // QVariantAnimation::stop() does not emit finished; the delegate hears of it here.
    m_animation->stop();
    ended(false);
}

bool BasicAnimation::isRunning() const
{
    return m_animation->state() == QAbstractAnimation::Running;
}

QVariant BasicAnimation::presentationValue() const
{
    if (isRunning())
        return m_animation->currentValue();
    if (m_finished && m_fillMode == FillMode::Forwards && !m_removedOnCompletion)
        return m_to;
    return {};
}

void BasicAnimation::ended(bool finished)
{
    if (m_ended)
        return;
    m_ended = true;
    m_finished = finished;
    running().removeAll(this);
    emit valueChanged();
    // The delegate may drop the layer that holds this animation.
    if (m_delegate) {
        const Delegate delegate = m_delegate;
        delegate(this, finished);
    }
}

int BasicAnimation::finishAllRunning(int limit)
{
    int count = 0;
    while (count < limit && !running().isEmpty()) {
        QPointer<BasicAnimation> animation = running().takeFirst();
        if (!animation || !animation->isRunning())
            continue;
        // Jumping to the end makes Qt stop the animation and report it finished.
        animation->m_animation->setCurrentTime(animation->m_animation->totalDuration());
        if (animation && animation->isRunning())
            animation->stop();
        ++count;
    }
    return count;
}

} // namespace platform
