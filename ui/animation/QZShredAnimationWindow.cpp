#include "ui/animation/QZShredAnimationWindow.h"

#include "platform/gui/Compositing.h"

QZShredAnimationWindow::QZShredAnimationWindow(const QRect &contentRect, Qt::WindowFlags style, QWidget *parent)
    : QWidget(parent)
{
    Q_UNUSED(style);
    // A tool window stays above the window it is attached to and takes no focus.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint | Qt::WindowTransparentForInput
                   | Qt::WindowDoesNotAcceptFocus);
    // Without a compositor alpha blends with nothing: the strips view shapes this window to
    // what it draws instead, and the window keeps the desktop's visual.
    setAttribute(Qt::WA_TranslucentBackground, platform::windowsAreComposited());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (!contentRect.isNull())
        setGeometry(contentRect);
}
