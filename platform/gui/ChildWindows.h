#pragma once

#include <QEvent>
#include <QList>

class QWidget;

namespace platform {

// Windows attached to another window: each stays above its parent, is on screen exactly while
// the parent is, and follows the parent whenever its place, size or frame changes (a window
// manager frames a window some time after it is shown, which moves its contents). A child
// window is a top-level widget whose Qt parent is the parent window, so it goes away with it.
class ChildWindows
{
public:
    // Attaches `child` (a top-level window) to `parent` and shows it when the parent is shown.
    static void addChildWindow(QWidget *parent, QWidget *child);
    // Detaches and hides `child`; it keeps no Qt parent. Nothing happens for a window that is
    // not a child of `parent`.
    static void removeChildWindow(QWidget *parent, QWidget *child);
    static QList<QWidget *> childWindows(const QWidget *parent);
    // Shows a child window directly above its parent, under any window in front of the parent.
    static void showAboveParent(QWidget *child);

    // Sent to every child window when its parent has moved, been resized or shown, ignored. A
    // child that accepts it places itself again; any other is moved by as much as the parent's
    // contents moved.
    static QEvent::Type parentGeometryChangeEvent();
};

} // namespace platform
