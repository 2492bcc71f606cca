#pragma once

namespace platform {

// Whether the window system blends translucent windows with what lies below them. An X server
// without a compositing manager does not: a clear pixel of a window comes out black there, so
// a clear window must be shaped to what it draws and needs no alpha of its own.
bool windowsAreComposited();

} // namespace platform
