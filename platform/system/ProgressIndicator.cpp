#include "platform/system/ProgressIndicator.h"

#include "platform/system/MainThread.h"

namespace platform {

ProgressIndicator::~ProgressIndicator()
{
    // A view must never keep drawing a spinner that is gone.
    removeFromSuperview();
}

int ProgressIndicator::style() const
{
    QMutexLocker lock(&m_mutex);
    return m_style;
}

void ProgressIndicator::setStyle(int style)
{
    QMutexLocker lock(&m_mutex);
    m_style = style;
}

int ProgressIndicator::controlSize() const
{
    QMutexLocker lock(&m_mutex);
    return m_controlSize;
}

void ProgressIndicator::setControlSize(int size)
{
    QMutexLocker lock(&m_mutex);
    m_controlSize = size;
}

bool ProgressIndicator::isAnimating() const
{
    QMutexLocker lock(&m_mutex);
    return m_animating;
}

void ProgressIndicator::startAnimation()
{
    QMutexLocker lock(&m_mutex);
    m_animating = true;
}

void ProgressIndicator::stopAnimation()
{
    QMutexLocker lock(&m_mutex);
    m_animating = false;
}

bool ProgressIndicator::isHidden() const
{
    QMutexLocker lock(&m_mutex);
    return m_hidden;
}

void ProgressIndicator::setHidden(bool hidden)
{
    QMutexLocker lock(&m_mutex);
    m_hidden = hidden;
}

void ProgressIndicator::setHost(void *view, std::function<void()> removeFromHost)
{
    QMutexLocker lock(&m_mutex);
    m_host = view;
    m_removeFromHost = view ? std::move(removeFromHost) : std::function<void()>();
}

void *ProgressIndicator::host() const
{
    QMutexLocker lock(&m_mutex);
    return m_host;
}

void ProgressIndicator::removeFromSuperview()
{
    std::function<void()> removal;
    {
        QMutexLocker lock(&m_mutex);
        removal = std::move(m_removeFromHost);
        m_removeFromHost = nullptr;
        m_host = nullptr;
    }
    if (!removal)
        return;
    // Views live on the main thread; a row may be freed on the cleaning worker.
    if (MainThread::isMainThread())
        removal();
    else
        MainThread::dispatch(std::move(removal));
}

} // namespace platform
