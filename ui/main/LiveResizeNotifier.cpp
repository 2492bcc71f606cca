#include "ui/main/LiveResizeNotifier.h"

#include "core/Keys.h"
#include "platform/system/NotificationCenter.h"

#include <QEvent>
#include <QWidget>

using namespace Qt::StringLiterals;

void LiveResizeNotifier::watch(QWidget *window)
{
    if (window)
        new LiveResizeNotifier(window);
}

LiveResizeNotifier::LiveResizeNotifier(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settleMilliseconds);
    connect(&m_settle, &QTimer::timeout, this, &LiveResizeNotifier::end);
    window->installEventFilter(this);
}

bool LiveResizeNotifier::eventFilter(QObject *watched, QEvent *event)
{
    // Only resizes from the window system: our own setGeometry calls are not live resizes,
    // and maximising is a zoom, which has its own handling.
    if (watched == m_window && event->type() == QEvent::Resize && event->spontaneous()
        && !(m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
        if (!m_resizing) {
            m_resizing = true;
            platform::NotificationCenter::defaultCenter().post(keys::WindowWillStartLiveResizeNotification, m_window);
        }
        m_settle.start();
    }
    return QObject::eventFilter(watched, event);
}

void LiveResizeNotifier::end()
{
    if (!m_resizing)
        return;
    m_resizing = false;
    platform::NotificationCenter::defaultCenter().post(keys::WindowDidEndLiveResizeNotification, m_window);
}
