#pragma once

class QRect;
class QWidget;

namespace platform {

// Puts a window in the middle of the primary screen's free area, as a window server would
// place a new window; without a window manager Qt would leave it at the screen's corner. A
// window larger than that area is made smaller to fit.
void centerOnScreen(QWidget *window);

// `frame` made no larger than `area` and moved the least it takes to lie inside it.
QRect fitInside(const QRect &frame, const QRect &area);

// Gives a top-level window the client geometry `geometry` (as QWidget::setGeometry takes it),
// made smaller and moved as little as needed for its whole frame, title bar included, to lie in
// the free area of its screen: a window that grows past the screen's edge hides its own buttons.
void setGeometryOnScreen(QWidget *window, const QRect &geometry);

} // namespace platform
