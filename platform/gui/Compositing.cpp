#include "platform/gui/Compositing.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QPointer>
#include <QWindow>

#include "platform/gui/X11.h"

#ifdef NIMBREL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace platform {

namespace {

class DesktopColormapSharer : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::PlatformSurface
            && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()
                == QPlatformSurfaceEvent::SurfaceCreated) {
            if (auto *window = qobject_cast<QWindow *>(watched))
                shareDesktopColormap(window->winId());
        }
        return false;
    }
};

} // namespace

bool windowsAreComposited()
{
#ifdef NIMBREL_HAVE_XCB
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return true;
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    const QByteArray name("_NET_WM_CM_S0");
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, uint16_t(name.size()), name.constData()), nullptr);
    const xcb_atom_t selection = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(atom);
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = owner && owner->owner != XCB_NONE;
    std::free(owner);
    return owned;
#else
    return true; // offscreen and other platforms blend (or never show) windows themselves
#endif
}

void shareDesktopColormap(WId window)
{
#ifdef NIMBREL_HAVE_XCB
    xcb_connection_t *connection = window ? x11Connection() : nullptr;
    if (!connection)
        return;
    const auto id = xcb_window_t(window);
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, id), nullptr);
    xcb_get_geometry_reply_t *geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    if (attributes && geometry) {
        for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it)) {
            const xcb_screen_t *screen = it.data;
            if (screen->root != geometry->root)
                continue;
            if (attributes->visual == screen->root_visual && attributes->colormap != screen->default_colormap) {
                const uint32_t colormap = screen->default_colormap;
                xcb_change_window_attributes(connection, id, XCB_CW_COLORMAP, &colormap);
                xcb_flush(connection);
            }
            break;
        }
    }
    std::free(attributes);
    std::free(geometry);
#else
    Q_UNUSED(window);
#endif
}

void shareDesktopColormapWithEveryWindow()
{
    static QPointer<DesktopColormapSharer> sharer;
    if (qGuiApp && !sharer) {
        sharer = new DesktopColormapSharer(qGuiApp);
        qGuiApp->installEventFilter(sharer);
    }
}

} // namespace platform
