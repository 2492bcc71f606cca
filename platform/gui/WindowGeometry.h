#pragma once

#include <QPointF>
#include <QRectF>

class QScreen;
class QWidget;

namespace platform {

// Window frames in the coordinates the interface is described in: the origin at the bottom
// left of the main (primary) screen, y growing upwards. A window's own (base) coordinates
// have their origin at the bottom left of its frame, title bar included.
class WindowGeometry
{
public:
    // The window's frame, title bar included.
    static QRectF frame(const QWidget *window);
    // Moves and sizes a frameless window to this frame (whole pixels).
    static void setFrame(QWidget *window, const QRectF &frame);
    static QPointF convertBaseToScreen(const QWidget *window, const QPointF &point);
    // The part of the screen that windows may use (no panels or docks); empty without a screen.
    static QRectF visibleFrame(const QScreen *screen);
    // A widget's rectangle in the base coordinates of its window.
    static QRectF frameInWindow(const QWidget *widget);
};

} // namespace platform
