#include "targets/firefox/FirefoxTraceTable.h"

#include "targets/mozilla/MozillaProfiles.h"
#include "targets/mozilla/MozillaRows.h"
#include "targets/mozilla/MozillaStatements.h"

namespace firefox {

using mozilla::existingRow;
using mozilla::sqlRow;
namespace sql = mozilla::sql;

QString profilePath()
{
    return mozilla::firstEntryContaining(
        tracepaths::home(QStringLiteral("Library/Application Support/Firefox/Profiles"))(),
        QStringLiteral(".default"));
}

QString cachePath()
{
    return mozilla::firstEntryContaining(
        tracepaths::home(QStringLiteral("Library/Caches/Firefox/Profiles"))(),
        QStringLiteral(".default"));
}

QList<Category> categories()
{
    return {
        {QStringLiteral("firefoxBrowsing"), QStringLiteral("Browsing History"), {}},
        {QStringLiteral("firefoxCache"), QStringLiteral("Cache"), {}},
        {QStringLiteral("firefoxCookies"), QStringLiteral("Cookies"), {}},
        {QStringLiteral("firefoxDownloads"), QStringLiteral("Download History"), {}},
        {QStringLiteral("firefoxForms"), QStringLiteral("Form Values"), {}},
        {QStringLiteral("firefoxLastSession"), QStringLiteral("Last Session"), {}},
        {QStringLiteral("firefoxRecentSearches"), QStringLiteral("Recent Searches"), {}},
        {QStringLiteral("firefoxWebpageIcons"), QStringLiteral("Webpage Icons"), {}},
        {QStringLiteral("firefoxDOM"), QStringLiteral("DOM Storage"), {}},
    };
}

QList<TraceRow> traceRows()
{
    auto prof = [](const char *relative) {
        return mozilla::inProfile(&profilePath, QString::fromLatin1(relative));
    };
    auto cache = [](const char *relative) {
        return mozilla::inProfile(&cachePath, QString::fromLatin1(relative));
    };
    const QString file = QStringLiteral("File");
    const QString dir = QStringLiteral("Dir");
    const QString browsing = QStringLiteral("firefoxBrowsing");
    const QString caches = QStringLiteral("firefoxCache");
    const QString downloads = QStringLiteral("firefoxDownloads");
    const QString lastSession = QStringLiteral("firefoxLastSession");
    const QString icons = QStringLiteral("firefoxWebpageIcons");
    const QString dom = QStringLiteral("firefoxDOM");
    // The history probes are their own: a failure withholds only their row.
    const auto own = TraceRow::Probe::OwnConnection;
    return {
        mozilla::historyRow(QStringLiteral("Browsing History"), browsing, prof("places.sqlite"), own),
        sqlRow(QStringLiteral("URL Autocomplete History"), browsing, prof("places.sqlite"), sql::hostCount, sql::hostDelete, own),
        existingRow(QStringLiteral("Cache"), caches, cache("Cache"), dir),
        existingRow(QStringLiteral("Cache2"), caches, cache("cache2"), dir),
        existingRow(QStringLiteral("Offline Cache"), caches, cache("OfflineCache"), dir),
        existingRow(QStringLiteral("Cache Thumbnails"), caches, cache("thumbnails"), dir),
        sqlRow(QStringLiteral("Cookies"), QStringLiteral("firefoxCookies"), prof("cookies.sqlite"), sql::cookieCount, sql::cookieDelete),
        // A failed count of the legacy downloads ends the collector: the places row below
        // is then not offered either.
        sqlRow(QStringLiteral("Legacy Download History"), downloads, prof("downloads.sqlite"), sql::downloadCount, sql::downloadDelete),
        sqlRow(QStringLiteral("Download History"), downloads, prof("places.sqlite"), sql::downloadAnnoCount, sql::downloadAnnoDelete),
        sqlRow(QStringLiteral("Form Values"), QStringLiteral("firefoxForms"), prof("formhistory.sqlite"), sql::formValueCount, sql::formValueDelete),
        existingRow(QStringLiteral("Last Session Information"), lastSession, prof("sessionstore.jsonlz4"), file),
        existingRow(QStringLiteral("Legacy Last Session Information"), lastSession, prof("sessionstore.js"), file),
        existingRow(QStringLiteral("Last Session Information Backup"), lastSession, prof("sessionstore-backups"), dir),
        existingRow(QStringLiteral("Legacy Last Session Information Backup"), lastSession, prof("sessionstore.bak"), file),
        traceRow(QStringLiteral("Open Windows"), lastSession, tracepaths::home(QStringLiteral("Library/Saved Application State/org.mozilla.firefox.savedState")), dir),
        sqlRow(QStringLiteral("Recent Searches"), QStringLiteral("firefoxRecentSearches"), prof("formhistory.sqlite"), sql::searchBarCount, sql::searchBarDelete),
        // A failed count of the icons in places (current profiles have no such table) ends
        // the collector: the icons database below is then not offered.
        sqlRow(QStringLiteral("Webpage Icons"), icons, prof("places.sqlite"), sql::faviconCount, sql::faviconDelete),
        existingRow(QStringLiteral("Webpage Icons Database"), icons, prof("favicons.sqlite"), file),
        existingRow(QStringLiteral("DOM Storage"), dom, prof("webappsstore.sqlite"), file),
        existingRow(QStringLiteral("Web Storage"), dom, prof("storage/default"), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan Firefox")}, categories());
}

} // namespace firefox
