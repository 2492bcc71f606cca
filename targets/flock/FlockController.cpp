#include "targets/flock/FlockController.h"

#include "targets/flock/FlockPrefsViewController.h"

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
    : ChromiumModuleController(parent)
{
    const ChromiumSwitches switches = flockSwitches();
    setIdentity(identifier, switches.scanKey(), QStringLiteral("Flock"));
    setCategories(switches.categories());
    setTraceTable(traceRows(switches));
}

ChromiumPane FlockController::pane()
{
    return {QStringLiteral("FlockPrefsView"), QStringLiteral("Flock"), identifier, flockSwitches()};
}

MasterPrefsViewController *FlockController::createPane()
{
    return new FlockPrefsViewController;
}

// In offer order.
QList<TraceRow> FlockController::traceRows(const ChromiumSwitches &switches)
{
    const QString session = switches.key(QStringLiteral("LastSession"));
    QList<TraceRow> rows = browsingRows(switches.key(QStringLiteral("Browsing")), profile, false);
    rows << traceRow(QStringLiteral("Cache"), switches.key(QStringLiteral("Cache")),
                     home(QStringLiteral("Library/Caches/Flock/User Data/Default/Cache")), QStringLiteral("Dir"))
         << profileRow(QStringLiteral("Cookies"), switches.key(QStringLiteral("Cookies")), profile, QStringLiteral("Cookies"));
    rows << downloadRows(switches.key(QStringLiteral("Downloads")), profile, false);
    rows << profileRow(QStringLiteral("Form Values"), switches.key(QStringLiteral("Forms")), profile, QStringLiteral("Web Data"))
         // The browser's shared state, one level above the profile.
         << profileRow(QStringLiteral("Last Session Local State"), session, userData, QStringLiteral("Local State"));
    rows << sessionRows(session, profile);
    rows << searchRow(switches.key(QStringLiteral("RecentSearches")), profile)
         << profileRow(QStringLiteral("Webpage Icons"), switches.key(QStringLiteral("WebpageIcons")), profile, QStringLiteral("Thumbnails"))
         << profileRow(QStringLiteral("DOM Storage"), switches.key(QStringLiteral("DOM")), profile,
                       QStringLiteral("Local Storage"), QStringLiteral("Dir"));
    return rows;
}
