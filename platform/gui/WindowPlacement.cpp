#include "platform/gui/WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

QScreen *screenOf(const QWidget *window)
{
    QScreen *screen = window->screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

QRect fitInside(const QRect &frame, const QRect &area)
{
    if (area.isEmpty())
        return frame;
    QRect fitted(frame.topLeft(), frame.size().boundedTo(area.size()));
    fitted.moveLeft(std::clamp(fitted.left(), area.left(), area.left() + area.width() - fitted.width()));
    fitted.moveTop(std::clamp(fitted.top(), area.top(), area.top() + area.height() - fitted.height()));
    return fitted;
}

void setGeometryOnScreen(QWidget *window, const QRect &geometry)
{
    if (!window)
        return;
    const QScreen *screen = screenOf(window);
    if (!screen) {
        window->setGeometry(geometry);
        return;
    }
    // The frame's edges around the client area; none until a window manager has framed it.
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    const QRect fitted = fitInside(geometry + frame, screen->availableGeometry()) - frame;
    window->setGeometry(fitted);
}

void centerOnScreen(QWidget *window)
{
    QScreen *screen = window ? screenOf(window) : nullptr;
    if (!window || !screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    if (window->isWindow() && frame.size().boundedTo(screen->availableGeometry().size()) != frame.size())
        setGeometryOnScreen(window, window->geometry().translated(frame.topLeft() - window->frameGeometry().topLeft()));
    else
        window->move(fitInside(frame, screen->availableGeometry()).topLeft());
}

} // namespace platform
