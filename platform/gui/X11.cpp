#include "platform/gui/X11.h"

#include <QGuiApplication>

#ifdef NIMBREL_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#endif

namespace platform {

xcb_connection_t *x11Connection()
{
#ifdef NIMBREL_HAVE_XCB
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
#else
    return nullptr;
#endif
}

} // namespace platform
