#pragma once

struct xcb_connection_t;

namespace platform {

// The X server connection of the application when it runs on X11 (and was built with xcb);
// null on any other platform (offscreen, Wayland).
xcb_connection_t *x11Connection();

} // namespace platform
