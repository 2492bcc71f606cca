#include "targets/camino/CaminoTraceTable.h"

#include "targets/mozilla/MozillaRows.h"
#include "targets/mozilla/MozillaStatements.h"

using namespace Qt::StringLiterals;

namespace camino {

using tracepaths::home;
namespace sql = mozilla::sql;

QList<Category> categories()
{
    return {
        {u"caminoBrowsing"_s, u"Browsing History"_s, {}}, {u"caminoCache"_s, u"Cache"_s, {}},
        {u"caminoCookies"_s, u"Cookies"_s, {}, false},    {u"caminoDownloads"_s, u"Download History"_s, {}},
        {u"caminoLastSession"_s, u"Last Session"_s, {}},  {u"caminoWebpageIcons"_s, u"Webpage Icons"_s, {}},
        {u"caminoDOM"_s, u"DOM Storage"_s, {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString file = u"File"_s;
    const QString dir = u"Dir"_s;
    auto data = [](const char *name) { return home(u"Library/Application Support/Camino/"_s + QLatin1String(name)); };
    const QString lastSession = u"caminoLastSession"_s;
    return {
        mozilla::historyRow(u"Browsing History"_s, u"caminoBrowsing"_s, data("places.sqlite")),
        traceRow(u"Cache"_s, u"caminoCache"_s, home(u"Library/Caches/Camino/Cache"_s), dir),
        mozilla::sqlRow(u"Cookies"_s, u"caminoCookies"_s, data("cookies.sqlite"), sql::cookieCount, sql::cookieDelete),
        traceRow(u"Download History"_s, u"caminoDownloads"_s, data("downloads.plist"), file),
        traceRow(u"Last Session Information"_s, lastSession, data("WindowState.plist"), file),
        traceRow(u"Open Windows"_s, lastSession,
                 home(u"Library/Saved Application State/org.mozilla.camino.savedState"_s), dir),
        traceRow(u"Webpage Icons"_s, u"caminoWebpageIcons"_s, home(u"Library/Caches/Camino/IconCache"_s), dir),
        // An SQLite file, but removed whole.
        traceRow(u"DOM Storage"_s, u"caminoDOM"_s, data("webappsstore.sqlite"), file),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan Camino"_s}, categories());
}

} // namespace camino
