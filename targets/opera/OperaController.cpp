#include "targets/opera/OperaController.h"

using namespace Qt::StringLiterals;

using tracepaths::home;

namespace {

const QString identifier = u"com.operasoftware.Opera"_s;
const QString profile = u"Library/Application Support/com.operasoftware.Opera"_s;

ChromiumSwitches operaSwitches()
{
    return ChromiumSwitches(u"Opera"_s,
                            {u"Browsing"_s, u"Cache"_s, u"Cookies"_s, u"Downloads"_s, u"LastSession"_s,
                             u"RecentSearches"_s, u"WebpageIcons"_s, u"DOM"_s},
                            {u"Cookies"_s});
}

// A file or folder of the older Opera, somewhere below the home folder.
TraceRow legacyRow(const QString &classification, const QString &key, const QString &relative,
                   const QString &kind = u"File"_s)
{
    return traceRow(u"Legacy "_s + classification, key, home(relative), kind);
}

} // namespace

OperaController::OperaController(QObject *parent)
    : ChromiumLayoutModule(pane(), parent)
{
    setTraceTable(traceRows());
    setCleaningHandler(&OperaController::cleanOpera);
}

ChromiumPane OperaController::pane()
{
    return {u"OperaPrefsView"_s, u"Opera"_s, identifier, operaSwitches()};
}

// In offer order: each category's current rows, then its legacy rows.
QList<TraceRow> OperaController::traceRows()
{
    const QString dir = u"Dir"_s;
    const QString browsing = key(u"Browsing"_s);
    const QString cache = key(u"Cache"_s);
    const QString cookies = key(u"Cookies"_s);
    const QString downloads = key(u"Downloads"_s);
    const QString session = key(u"LastSession"_s);
    const QString searches = key(u"RecentSearches"_s);
    const QString icons = key(u"WebpageIcons"_s);
    const QString dom = key(u"DOM"_s);
    const QString oldCaches = u"Library/Caches/Opera/"_s;

    QList<TraceRow> rows = browsingRows(browsing, profile, true);
    rows << legacyRow(u"Browsing History"_s, browsing, u"Library/Opera/global_history.dat"_s)
         << legacyRow(u"Typed History"_s, browsing, u"Library/Opera/typed_history.xml"_s)
         << traceRow(u"Cache"_s, cache, home(u"Library/Caches/com.operasoftware.Opera/Cache"_s), dir)
         << profileRow(u"History Provider Cache"_s, cache, profile, u"History Provider Cache"_s)
         << legacyRow(u"Cache"_s, cache, oldCaches + u"cache"_s, dir)
         << legacyRow(u"VPS Cache"_s, cache, oldCaches + u"vps"_s, dir)
         << legacyRow(u"Cache Index"_s, cache, oldCaches + u"opcache"_s, dir)
         << legacyRow(u"Cache Thumbnails"_s, cache, oldCaches + u"thumbnails"_s, dir)
         << profileRow(u"Cookies"_s, cookies, profile, u"Cookies"_s)
         << legacyRow(u"Cookies"_s, cookies, u"Library/Opera/cookies4.dat"_s);
    rows << downloadRows(downloads, profile, true);
    rows << legacyRow(u"Download History"_s, downloads, u"Library/Opera/download.dat"_s)
         << profileRow(u"Last Session Information"_s, session, profile, u"session.db"_s)
         << profileRow(u"Last Session Information Backup"_s, session, profile, u"session.dbak"_s)
         << legacyRow(u"Last Session Information"_s, session, u"Library/Opera/sessions/autosave.win"_s)
         << legacyRow(u"Last Session Information Backup"_s, session, u"Library/Opera/sessions/autosave.win.bak"_s)
         << openWindowsRow(session) << searchRow(searches, profile)
         << legacyRow(u"Recent Searches"_s, searches, u"Library/Opera/search_field_history.dat"_s)
         << profileRow(u"Webpage Icons"_s, icons, profile, u"Thumbnails"_s)
         << legacyRow(u"Webpage Icons"_s, icons, oldCaches + u"icons"_s, dir)
         // The browser's own start page and discovery feed keep their storage, as do extensions.
         << localStorageRow(dom, tracepaths::join(profile, u"Local Storage"_s),
                            {u"chrome-extension_"_s, u"opera_discover_"_s, u"opera_startpage_"_s})
         << legacyRow(u"DOM Storage"_s, dom, u"Library/Application Support/Opera/pstorage"_s, dir);
    return rows;
}
