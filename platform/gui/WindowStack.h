#pragma once

class QWidget;

namespace platform {

// Stacking of top-level windows relative to each other. A window shown afresh lands above
// every other one; one attached to another belongs just above that one instead, under any
// window the user has brought in front of both.
class WindowStack
{
public:
    // Puts `window` (just shown, so on top of everything) back above `sibling` only: under a
    // window manager our windows that stood in front of the sibling are raised again; without
    // one the server restacks the window itself. Only under X11; elsewhere nothing happens.
    static void placeAbove(QWidget *window, QWidget *sibling);
};

} // namespace platform
