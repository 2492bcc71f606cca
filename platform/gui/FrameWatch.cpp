#include "platform/gui/FrameWatch.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>

#include "platform/gui/X11.h"

#ifdef NIMBREL_HAVE_XCB
#include <xcb/xcb.h>

#include <cstdlib>
#endif

namespace platform {

#ifdef NIMBREL_HAVE_XCB
namespace {

class FrameFilter : public QAbstractNativeEventFilter
{
public:
    struct Watched
    {
        QPointer<QWidget> window;
        xcb_window_t client = XCB_NONE;
        xcb_window_t frame = XCB_NONE;
        std::function<void(const QPoint &)> moved;
    };

    static FrameFilter &instance()
    {
        static FrameFilter *filter = [] {
            auto *made = new FrameFilter;
            qGuiApp->installNativeEventFilter(made);
            return made;
        }();
        return *filter;
    }

    void watch(QWidget *window, std::function<void(const QPoint &)> moved)
    {
        Watched entry;
        entry.window = window;
        entry.client = xcb_window_t(window->winId());
        entry.moved = std::move(moved);
        m_watched.insert(entry.client, entry);
        findFrame(m_watched[entry.client]);
    }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        switch (event->response_type & ~0x80) {
        case XCB_REPARENT_NOTIFY: {
            // The window manager framed (or unframed) one of ours.
            const auto *reparent = reinterpret_cast<const xcb_reparent_notify_event_t *>(event);
            auto it = m_watched.find(reparent->window);
            if (it != m_watched.end())
                findFrame(*it);
            break;
        }
        case XCB_CONFIGURE_NOTIFY: {
            const auto *configure = reinterpret_cast<const xcb_configure_notify_event_t *>(event);
            for (auto it = m_watched.begin(); it != m_watched.end();) {
                if (!it->window) {
                    it = m_watched.erase(it);
                    continue;
                }
                if (it->frame == configure->window && configure->event == configure->window)
                    report(*it);
                ++it;
            }
            break;
        }
        default:
            break;
        }
        return false; // Qt has its own use for the events of its windows
    }

private:
    // The frame is the window's highest ancestor below the root.
    void findFrame(Watched &entry)
    {
        xcb_connection_t *connection = x11Connection();
        if (!connection)
            return;
        xcb_window_t current = entry.client;
        xcb_window_t frame = XCB_NONE;
        for (int depth = 0; depth < 8; ++depth) {
            xcb_query_tree_reply_t *tree =
                xcb_query_tree_reply(connection, xcb_query_tree(connection, current), nullptr);
            if (!tree)
                break;
            const xcb_window_t root = tree->root;
            const xcb_window_t parent = tree->parent;
            std::free(tree);
            if (parent == root || parent == XCB_NONE)
                break;
            frame = current = parent;
        }
        if (frame == entry.frame)
            return;
        entry.frame = frame;
        if (frame == XCB_NONE)
            return;
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(connection, frame, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(connection);
    }

    void report(const Watched &entry)
    {
        xcb_connection_t *connection = x11Connection();
        if (!connection)
            return;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
        xcb_translate_coordinates_reply_t *where = xcb_translate_coordinates_reply(
            connection, xcb_translate_coordinates(connection, entry.client, root, 0, 0), nullptr);
        if (!where)
            return;
        const QPoint pos(where->dst_x, where->dst_y);
        std::free(where);
        const qreal scale = entry.window->devicePixelRatioF();
        if (entry.moved)
            entry.moved(scale > 0 ? QPoint(qRound(pos.x() / scale), qRound(pos.y() / scale)) : pos);
    }

    QHash<xcb_window_t, Watched> m_watched;
};

} // namespace
#endif

void FrameWatch::watch(QWidget *window, std::function<void(const QPoint &contentsPos)> moved)
{
#ifdef NIMBREL_HAVE_XCB
    if (!window || !window->isWindow() || !qGuiApp || !x11Connection())
        return;
    FrameFilter::instance().watch(window, std::move(moved));
#else
    Q_UNUSED(window);
    Q_UNUSED(moved);
#endif
}

} // namespace platform
