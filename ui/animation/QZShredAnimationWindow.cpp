#include "ui/animation/QZShredAnimationWindow.h"

QZShredAnimationWindow::QZShredAnimationWindow(const QRect &contentRect, Qt::WindowFlags style, QWidget *parent)
    : QWidget(parent)
{
    Q_UNUSED(style);
    // A tool window stays above the window it is attached to and takes no focus.
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint | Qt::WindowTransparentForInput
                   | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    if (!contentRect.isNull())
        setGeometry(contentRect);
}
