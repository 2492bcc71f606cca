#include "platform/gui/WindowStack.h"

#include "platform/gui/X11.h"

#include <QList>
#include <QWidget>

#ifdef NIMBREL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace platform {

#ifdef NIMBREL_HAVE_XCB
namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return found;
}

// The managed windows bottom to top, as the window manager keeps them; empty without one.
QList<xcb_window_t> managedStack(xcb_connection_t *connection, xcb_window_t root)
{
    const xcb_atom_t list = atom(connection, "_NET_CLIENT_LIST_STACKING");
    if (list == XCB_ATOM_NONE)
        return {};
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, root, list, XCB_ATOM_WINDOW, 0, 4096), nullptr);
    QList<xcb_window_t> stack;
    if (reply && reply->format == 32) {
        const auto *ids = static_cast<const xcb_window_t *>(xcb_get_property_value(reply));
        const int count = xcb_get_property_value_length(reply) / int(sizeof(xcb_window_t));
        for (int i = 0; i < count; ++i)
            stack.append(ids[i]);
    }
    std::free(reply);
    return stack;
}

// Raises one of our windows and the windows attached to it.
void raiseWithAttached(QWidget *window)
{
    window->raise();
    for (QObject *object : window->children()) {
        auto *attached = qobject_cast<QWidget *>(object);
        if (attached && attached->isWindow() && attached->windowType() == Qt::Tool && attached->isVisible())
            attached->raise();
    }
}

} // namespace
#endif

void WindowStack::placeAbove(QWidget *window, QWidget *sibling)
{
#ifdef NIMBREL_HAVE_XCB
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window || !sibling || !window->isWindow() || !sibling->isWindow())
        return;
    const auto id = xcb_window_t(window->winId());
    const auto below = xcb_window_t(sibling->winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const QList<xcb_window_t> stack = managedStack(connection, root);
    if (stack.contains(below)) {
        // A window manager stacks what it manages, and will not put a window just above
        // another one on request; it does keep attached windows above their parent. So our
        // windows that stood in front of the sibling are brought back in front, in order.
        for (qsizetype i = stack.indexOf(below) + 1; i < stack.size(); ++i) {
            QWidget *front = QWidget::find(WId(stack[i]));
            if (front && front != window && front->isVisible() && front->parentWidget() != sibling)
                raiseWithAttached(front);
        }
    } else {
        // No manager (or one that does not know the sibling): the server stacks as told.
        const uint32_t values[] = {below, XCB_STACK_MODE_ABOVE};
        xcb_configure_window(connection, id, XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values);
    }
    xcb_flush(connection);
#else
    Q_UNUSED(window);
    Q_UNUSED(sibling);
#endif
}

} // namespace platform
