#include "targets/flock/FlockController.h"

using namespace Qt::StringLiterals;

using tracepaths::home;

namespace {

const QString identifier = u"com.flock.Flock"_s;
const QString userData = u"Library/Application Support/Flock/User Data"_s;
const QString profile = userData + u"/Default"_s;

ChromiumSwitches flockSwitches()
{
    return ChromiumSwitches(u"Flock"_s,
                            {u"Browsing"_s, u"Cache"_s, u"Cookies"_s, u"Downloads"_s, u"Forms"_s, u"LastSession"_s,
                             u"RecentSearches"_s, u"WebpageIcons"_s, u"DOM"_s},
                            {u"Cookies"_s});
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
    return {u"FlockPrefsView"_s, u"Flock"_s, identifier, flockSwitches()};
}

// In offer order.
QList<TraceRow> FlockController::traceRows()
{
    const QString session = key(u"LastSession"_s);
    QList<TraceRow> rows = browsingRows(key(u"Browsing"_s), profile, false);
    rows << traceRow(u"Cache"_s, key(u"Cache"_s), home(u"Library/Caches/Flock/User Data/Default/Cache"_s), u"Dir"_s)
         << profileRow(u"Cookies"_s, key(u"Cookies"_s), profile, u"Cookies"_s);
    rows << downloadRows(key(u"Downloads"_s), profile, false);
    rows << formValuesRow(key(u"Forms"_s), profile)
         // The browser's shared state, one level above the profile.
         << profileRow(u"Last Session Local State"_s, session, userData, u"Local State"_s);
    rows << sessionRows(session, profile);
    rows << searchRow(key(u"RecentSearches"_s), profile)
         << profileRow(u"Webpage Icons"_s, key(u"WebpageIcons"_s), profile, u"Thumbnails"_s)
         << profileRow(u"DOM Storage"_s, key(u"DOM"_s), profile, u"Local Storage"_s, u"Dir"_s);
    return rows;
}
