#include "targets/firefox/FirefoxTraceTable.h"

#include "targets/mozilla/MozillaProfiles.h"
#include "targets/mozilla/MozillaRows.h"
#include "targets/mozilla/MozillaStatements.h"

using namespace Qt::StringLiterals;

namespace firefox {

using mozilla::existingRow;
using mozilla::sqlRow;
namespace sql = mozilla::sql;

// Firefox keeps profiles.ini beside its Profiles folder, and its cache profiles under the
// same relative paths in Caches. Without a profiles.ini (profiles older than that file),
// the first folder whose name contains ".default".
namespace {
QString dataFolder()
{
    return tracepaths::home(u"Library/Application Support/Firefox"_s)();
}
} // namespace

QString profilePath()
{
    return mozilla::profileFromIni(dataFolder(), [] {
        return mozilla::firstEntryContaining(tracepaths::join(dataFolder(), u"Profiles"_s), u".default"_s);
    });
}

QString cachePath()
{
    const QString caches = tracepaths::home(u"Library/Caches/Firefox"_s)();
    return mozilla::cacheProfileFromIni(dataFolder(), caches, [&caches] {
        return mozilla::firstEntryContaining(tracepaths::join(caches, u"Profiles"_s), u".default"_s);
    });
}

QList<Category> categories()
{
    return {
        {u"firefoxBrowsing"_s, u"Browsing History"_s, {}},
        {u"firefoxCache"_s, u"Cache"_s, {}},
        {u"firefoxCookies"_s, u"Cookies"_s, {}, false},
        {u"firefoxDownloads"_s, u"Download History"_s, {}},
        {u"firefoxForms"_s, u"Form Values"_s, {}},
        {u"firefoxLastSession"_s, u"Last Session"_s, {}},
        {u"firefoxRecentSearches"_s, u"Recent Searches"_s, {}},
        {u"firefoxWebpageIcons"_s, u"Webpage Icons"_s, {}},
        {u"firefoxDOM"_s, u"DOM Storage"_s, {}},
    };
}

QList<TraceRow> traceRows()
{
    auto prof = [](const char *relative) { return mozilla::inProfile(&profilePath, QString::fromLatin1(relative)); };
    auto cache = [](const char *relative) { return mozilla::inProfile(&cachePath, QString::fromLatin1(relative)); };
    const QString file = u"File"_s;
    const QString dir = u"Dir"_s;
    const QString browsing = u"firefoxBrowsing"_s;
    const QString caches = u"firefoxCache"_s;
    const QString downloads = u"firefoxDownloads"_s;
    const QString lastSession = u"firefoxLastSession"_s;
    const QString icons = u"firefoxWebpageIcons"_s;
    const QString dom = u"firefoxDOM"_s;
    // The history probes are their own: a failure withholds only their row.
    const auto own = TraceRow::Probe::OwnConnection;
    return {
        mozilla::historyRow(u"Browsing History"_s, browsing, prof("places.sqlite"), own),
        sqlRow(u"URL Autocomplete History"_s, browsing, prof("places.sqlite"), sql::hostCount, sql::hostDelete, own),
        existingRow(u"Cache"_s, caches, cache("Cache"), dir),
        existingRow(u"Cache2"_s, caches, cache("cache2"), dir),
        existingRow(u"Offline Cache"_s, caches, cache("OfflineCache"), dir),
        existingRow(u"Cache Thumbnails"_s, caches, cache("thumbnails"), dir),
        sqlRow(u"Cookies"_s, u"firefoxCookies"_s, prof("cookies.sqlite"), sql::cookieCount, sql::cookieDelete),
        // A failed count of the legacy downloads ends the collector: the places row below
        // is then not offered either.
        sqlRow(u"Legacy Download History"_s, downloads, prof("downloads.sqlite"), sql::downloadCount,
               sql::downloadDelete),
        mozilla::downloadAnnotationRow(u"Download History"_s, downloads, prof("places.sqlite")),
        sqlRow(u"Form Values"_s, u"firefoxForms"_s, prof("formhistory.sqlite"), sql::formValueCount,
               sql::formValueDelete),
        existingRow(u"Last Session Information"_s, lastSession, prof("sessionstore.jsonlz4"), file),
        existingRow(u"Legacy Last Session Information"_s, lastSession, prof("sessionstore.js"), file),
        existingRow(u"Last Session Information Backup"_s, lastSession, prof("sessionstore-backups"), dir),
        existingRow(u"Legacy Last Session Information Backup"_s, lastSession, prof("sessionstore.bak"), file),
        traceRow(u"Open Windows"_s, lastSession,
                 tracepaths::home(u"Library/Saved Application State/org.mozilla.firefox.savedState"_s), dir),
        sqlRow(u"Recent Searches"_s, u"firefoxRecentSearches"_s, prof("formhistory.sqlite"), sql::searchBarCount,
               sql::searchBarDelete),
        // Current profiles keep their icons in favicons.sqlite and have no such table in
        // places: the failed count withholds this row only, and the icons database is offered.
        sqlRow(u"Webpage Icons"_s, icons, prof("places.sqlite"), sql::faviconCount, sql::faviconDelete, own),
        existingRow(u"Webpage Icons Database"_s, icons, prof("favicons.sqlite"), file),
        existingRow(u"DOM Storage"_s, dom, prof("webappsstore.sqlite"), file),
        // Every extension keeps its local storage, databases and settings there too, beside
        // the sites': those stay, as they do when the browser clears the sites' data.
        keptEntriesRow(u"Web Storage"_s, dom, prof("storage/default"), {u"moz-extension+++"_s}),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan Firefox"_s}, categories());
}

} // namespace firefox
