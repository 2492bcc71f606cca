#include "targets/camino/CaminoTraceTable.h"

#include "targets/mozilla/MozillaRows.h"
#include "targets/mozilla/MozillaStatements.h"

namespace camino {

using tracepaths::home;
namespace sql = mozilla::sql;

QList<Category> categories()
{
    return {
        {QStringLiteral("caminoBrowsing"), QStringLiteral("Browsing History"), {}},
        {QStringLiteral("caminoCache"), QStringLiteral("Cache"), {}},
        {QStringLiteral("caminoCookies"), QStringLiteral("Cookies"), {}},
        {QStringLiteral("caminoDownloads"), QStringLiteral("Download History"), {}},
        {QStringLiteral("caminoLastSession"), QStringLiteral("Last Session"), {}},
        {QStringLiteral("caminoWebpageIcons"), QStringLiteral("Webpage Icons"), {}},
        {QStringLiteral("caminoDOM"), QStringLiteral("DOM Storage"), {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString file = QStringLiteral("File");
    const QString dir = QStringLiteral("Dir");
    auto data = [](const char *name) {
        return home(QStringLiteral("Library/Application Support/Camino/") + QLatin1String(name));
    };
    const QString lastSession = QStringLiteral("caminoLastSession");
    return {
        mozilla::historyRow(QStringLiteral("Browsing History"), QStringLiteral("caminoBrowsing"), data("places.sqlite")),
        traceRow(QStringLiteral("Cache"), QStringLiteral("caminoCache"), home(QStringLiteral("Library/Caches/Camino/Cache")), dir),
        mozilla::sqlRow(QStringLiteral("Cookies"), QStringLiteral("caminoCookies"), data("cookies.sqlite"), sql::cookieCount, sql::cookieDelete),
        traceRow(QStringLiteral("Download History"), QStringLiteral("caminoDownloads"), data("downloads.plist"), file),
        traceRow(QStringLiteral("Last Session Information"), lastSession, data("WindowState.plist"), file),
        traceRow(QStringLiteral("Open Windows"), lastSession, home(QStringLiteral("Library/Saved Application State/org.mozilla.camino.savedState")), dir),
        traceRow(QStringLiteral("Webpage Icons"), QStringLiteral("caminoWebpageIcons"), home(QStringLiteral("Library/Caches/Camino/IconCache")), dir),
        // An SQLite file, but removed whole.
        traceRow(QStringLiteral("DOM Storage"), QStringLiteral("caminoDOM"), data("webappsstore.sqlite"), file),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan Camino")}, categories());
}

} // namespace camino
