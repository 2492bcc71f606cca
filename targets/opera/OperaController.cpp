#include "targets/opera/OperaController.h"

using tracepaths::home;

namespace {

const QString identifier = QStringLiteral("com.operasoftware.Opera");
const QString profile = QStringLiteral("Library/Application Support/com.operasoftware.Opera");

ChromiumSwitches operaSwitches()
{
    return ChromiumSwitches(QStringLiteral("Opera"),
                            {QStringLiteral("Browsing"), QStringLiteral("Cache"), QStringLiteral("Cookies"),
                             QStringLiteral("Downloads"), QStringLiteral("LastSession"),
                             QStringLiteral("RecentSearches"), QStringLiteral("WebpageIcons"),
                             QStringLiteral("DOM")});
}

// A file or folder of the older Opera, somewhere below the home folder.
TraceRow legacyRow(const QString &classification, const QString &key, const QString &relative,
                   const QString &kind = QStringLiteral("File"))
{
    return traceRow(QStringLiteral("Legacy ") + classification, key, home(relative), kind);
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
    return {QStringLiteral("OperaPrefsView"), QStringLiteral("Opera"), identifier, operaSwitches()};
}

// In offer order: each category's current rows, then its legacy rows.
QList<TraceRow> OperaController::traceRows()
{
    const QString dir = QStringLiteral("Dir");
    const QString browsing = key(QStringLiteral("Browsing"));
    const QString cache = key(QStringLiteral("Cache"));
    const QString cookies = key(QStringLiteral("Cookies"));
    const QString downloads = key(QStringLiteral("Downloads"));
    const QString session = key(QStringLiteral("LastSession"));
    const QString searches = key(QStringLiteral("RecentSearches"));
    const QString icons = key(QStringLiteral("WebpageIcons"));
    const QString dom = key(QStringLiteral("DOM"));
    const QString oldCaches = QStringLiteral("Library/Caches/Opera/");

    QList<TraceRow> rows = browsingRows(browsing, profile, true);
    rows << legacyRow(QStringLiteral("Browsing History"), browsing, QStringLiteral("Library/Opera/global_history.dat"))
         << legacyRow(QStringLiteral("Typed History"), browsing, QStringLiteral("Library/Opera/typed_history.xml"))
         << traceRow(QStringLiteral("Cache"), cache, home(QStringLiteral("Library/Caches/com.operasoftware.Opera/Cache")), dir)
         << profileRow(QStringLiteral("History Provider Cache"), cache, profile, QStringLiteral("History Provider Cache"))
         << legacyRow(QStringLiteral("Cache"), cache, oldCaches + QStringLiteral("cache"), dir)
         << legacyRow(QStringLiteral("VPS Cache"), cache, oldCaches + QStringLiteral("vps"), dir)
         << legacyRow(QStringLiteral("Cache Index"), cache, oldCaches + QStringLiteral("opcache"), dir)
         << legacyRow(QStringLiteral("Cache Thumbnails"), cache, oldCaches + QStringLiteral("thumbnails"), dir)
         << profileRow(QStringLiteral("Cookies"), cookies, profile, QStringLiteral("Cookies"))
         << legacyRow(QStringLiteral("Cookies"), cookies, QStringLiteral("Library/Opera/cookies4.dat"));
    rows << downloadRows(downloads, profile, true);
    rows << legacyRow(QStringLiteral("Download History"), downloads, QStringLiteral("Library/Opera/download.dat"))
         << profileRow(QStringLiteral("Last Session Information"), session, profile, QStringLiteral("session.db"))
         << profileRow(QStringLiteral("Last Session Information Backup"), session, profile, QStringLiteral("session.dbak"))
         << legacyRow(QStringLiteral("Last Session Information"), session, QStringLiteral("Library/Opera/sessions/autosave.win"))
         << legacyRow(QStringLiteral("Last Session Information Backup"), session,
                      QStringLiteral("Library/Opera/sessions/autosave.win.bak"))
         << openWindowsRow(session)
         << searchRow(searches, profile)
         << legacyRow(QStringLiteral("Recent Searches"), searches, QStringLiteral("Library/Opera/search_field_history.dat"))
         << profileRow(QStringLiteral("Webpage Icons"), icons, profile, QStringLiteral("Thumbnails"))
         << legacyRow(QStringLiteral("Webpage Icons"), icons, oldCaches + QStringLiteral("icons"), dir)
         // The browser's own start page and discovery feed keep their storage, as do extensions.
         << localStorageRow(dom, tracepaths::join(profile, QStringLiteral("Local Storage")),
                            {QStringLiteral("chrome-extension_"), QStringLiteral("opera_discover_"),
                             QStringLiteral("opera_startpage_")})
         << legacyRow(QStringLiteral("DOM Storage"), dom, QStringLiteral("Library/Application Support/Opera/pstorage"), dir);
    return rows;
}
