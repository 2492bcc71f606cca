#pragma once

namespace platform {

// The keys every window answers, whoever made it: the platform's close shortcut (Ctrl+W)
// closes the window that has the keyboard, and Escape closes any window but a main window
// (a dialog, a panel, the settings window). An attached window hands the close to the window
// it is attached to. A window whose own shortcut claims the key keeps it. Return that no
// control takes presses a window's default button, in windows that are not dialogs too.
// When a window closes and leaves none of ours active (no window manager to choose), the
// window it belonged to, else our main window, gets the keyboard back.
class WindowKeys
{
public:
    // Once per application; later calls do nothing.
    static void install();
};

} // namespace platform
