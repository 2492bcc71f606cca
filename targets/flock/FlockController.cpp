#include "targets/flock/FlockController.h"

using tracepaths::home;

namespace {

const QString identifier = QStringLiteral("com.flock.Flock");
const QString userData = QStringLiteral("Library/Application Support/Flock/User Data");
const QString profile = userData + QStringLiteral("/Default");

ChromiumSwitches flockSwitches()
{
    return ChromiumSwitches(QStringLiteral("Flock"),
                            {QStringLiteral("Browsing"), QStringLiteral("Cache"), QStringLiteral("Cookies"),
                             QStringLiteral("Downloads"), QStringLiteral("Forms"), QStringLiteral("LastSession"),
                             QStringLiteral("RecentSearches"), QStringLiteral("WebpageIcons"),
                             QStringLiteral("DOM")});
}

} // namespace

FlockController::FlockController(QObject *parent)
    : ChromiumLayoutModule(pane(), parent)
{
    setTraceTable(traceRows());
    setCleaningHandler(&FlockController::cleanFlock);
}

ChromiumPane FlockController::pane()
{
    return {QStringLiteral("FlockPrefsView"), QStringLiteral("Flock"), identifier, flockSwitches()};
}

// In offer order.
QList<TraceRow> FlockController::traceRows()
{
    const QString session = key(QStringLiteral("LastSession"));
    QList<TraceRow> rows = browsingRows(key(QStringLiteral("Browsing")), profile, false);
    rows << traceRow(QStringLiteral("Cache"), key(QStringLiteral("Cache")),
                     home(QStringLiteral("Library/Caches/Flock/User Data/Default/Cache")), QStringLiteral("Dir"))
         << profileRow(QStringLiteral("Cookies"), key(QStringLiteral("Cookies")), profile, QStringLiteral("Cookies"));
    rows << downloadRows(key(QStringLiteral("Downloads")), profile, false);
    rows << profileRow(QStringLiteral("Form Values"), key(QStringLiteral("Forms")), profile, QStringLiteral("Web Data"))
         // The browser's shared state, one level above the profile.
         << profileRow(QStringLiteral("Last Session Local State"), session, userData, QStringLiteral("Local State"));
    rows << sessionRows(session, profile);
    rows << searchRow(key(QStringLiteral("RecentSearches")), profile)
         << profileRow(QStringLiteral("Webpage Icons"), key(QStringLiteral("WebpageIcons")), profile, QStringLiteral("Thumbnails"))
         << profileRow(QStringLiteral("DOM Storage"), key(QStringLiteral("DOM")), profile,
                       QStringLiteral("Local Storage"), QStringLiteral("Dir"));
    return rows;
}
