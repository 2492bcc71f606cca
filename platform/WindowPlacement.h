#pragma once

class QWidget;

namespace platform {

// Puts a window in the middle of the primary screen's free area, as a window server would
// place a new window; without a window manager Qt would leave it at the screen's corner.
void centerOnScreen(QWidget *window);

} // namespace platform
