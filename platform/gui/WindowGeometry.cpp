#include "platform/gui/WindowGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace platform {

namespace {
// Where y = 0 lies, in Qt's global coordinates (which grow downwards).
double screenBottom()
{
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (!primary)
        return 0;
    const QRect g = primary->geometry();
    return g.y() + g.height();
}

QRectF flipped(const QRectF &rect)
{
    return QRectF(rect.x(), screenBottom() - rect.y() - rect.height(), rect.width(), rect.height());
}
} // namespace

QRectF WindowGeometry::frame(const QWidget *window)
{
    return window ? flipped(QRectF(window->frameGeometry())) : QRectF();
}

void WindowGeometry::setFrame(QWidget *window, const QRectF &frame)
{
    if (!window)
        return;
    const QRectF qt = flipped(frame);
    window->setGeometry(int(std::lround(qt.x())), int(std::lround(qt.y())), int(std::lround(qt.width())),
                        int(std::lround(qt.height())));
}

QPointF WindowGeometry::convertBaseToScreen(const QWidget *window, const QPointF &point)
{
    return frame(window).topLeft() + point; // topLeft() of a flipped rectangle is its bottom left
}

QRectF WindowGeometry::visibleFrame(const QScreen *screen)
{
    return screen ? flipped(QRectF(screen->availableGeometry())) : QRectF();
}

QRectF WindowGeometry::frameInWindow(const QWidget *widget)
{
    if (!widget)
        return {};
    const QWidget *window = widget->window();
    const QRect outer = window->frameGeometry();
    // From the widget's place in the window's client area to the frame's top left.
    const QPoint inClient = widget->mapTo(window, QPoint(0, 0));
    const QPoint clientOffset = window->geometry().topLeft() - outer.topLeft();
    const double top = inClient.y() + clientOffset.y();
    return QRectF(inClient.x() + clientOffset.x(), outer.height() - top - widget->height(), widget->width(),
                  widget->height());
}

} // namespace platform
