#pragma once

#include <QtGui/qwindowdefs.h>

namespace platform {

// Whether the window system blends translucent windows with what lies below them. An X server
// without a compositing manager does not: a clear pixel of a window comes out black there, so
// a clear window must be shaped to what it draws and needs no alpha of its own.
bool windowsAreComposited();

// Gives a window drawn with the desktop's own visual the desktop's colour map. Qt makes a colour
// map of its own for each window; screen captures (xwd, import) then read such a window as its
// whole rectangle, black outside its shape, instead of the screen as shown. Windows of another
// visual, and platforms other than X, are left alone.
void shareDesktopColormap(WId window);
// Does the same for every window the application creates from now on. Call it once the
// application object exists.
void shareDesktopColormapWithEveryWindow();

} // namespace platform
