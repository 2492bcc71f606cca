#pragma once

#include <QPoint>

#include <functional>

class QWidget;

namespace platform {

// Hears a top-level window move while a window manager drags its frame. Some window managers
// tell the window where it is only once the drag is over, so Qt's idea of its place (and every
// window that follows it) would lag until the mouse is released; the frame's own moves are
// reported as they happen. Only under X11; elsewhere nothing is reported.
class FrameWatch
{
public:
    // Calls `moved` with the window's contents position (global, as QWidget::geometry()) each
    // time its frame moves, for as long as the window lives. One watch per window.
    static void watch(QWidget *window, std::function<void(const QPoint &contentsPos)> moved);
};

} // namespace platform
