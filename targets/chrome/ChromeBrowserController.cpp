#include "targets/chrome/ChromeBrowserController.h"

#include "core/Keys.h"

using namespace Qt::StringLiterals;

using tracepaths::home;

ChromeBrowserController::ChromeBrowserController(const ChromeParameters &parameters, QObject *parent)
    : ChromiumModuleController(paneOf(parameters), parent)
    , m_parameters(parameters)
{
    setTraceTable(traceRows());
}

ChromiumSwitches ChromeBrowserController::switchesFor(const QString &name)
{
    return ChromiumSwitches(name,
                            {u"Browsing"_s, u"Cache"_s, u"Cookies"_s, u"Downloads"_s, keys::FlashCookies, u"Forms"_s,
                             u"LastSession"_s, u"RecentSearches"_s, u"WebpageIcons"_s, u"DOM"_s},
                            {u"Cookies"_s, keys::FlashCookies});
}

ChromiumPane ChromeBrowserController::paneOf(const ChromeParameters &parameters)
{
    return {parameters.nibName, parameters.name, parameters.identifier, switchesFor(parameters.name)};
}

// In offer order; the Monthly History Index rows come after the archived history.
QList<TraceRow> ChromeBrowserController::traceRows()
{
    const ChromeParameters &p = m_parameters;
    const QString profile = p.profile;
    const QString browsing = key(u"Browsing"_s);
    const QString cache = key(u"Cache"_s);
    QList<TraceRow> rows = browsingRows(browsing, profile, true);
    rows << profileRow(u"Visited Links History"_s, browsing, profile, u"Visited Links"_s)
         << traceRow(u"Cache"_s, cache, home(p.cache), u"Dir"_s)
         << profileRow(u"History Provider Cache"_s, cache, profile, u"History Provider Cache"_s)
         << profileRow(u"Cookies"_s, key(u"Cookies"_s), profile, u"Cookies"_s);
    rows << downloadRows(key(u"Downloads"_s), profile, true);
    rows << profileRow(u"Flash Cookies"_s, key(keys::FlashCookies), profile,
                       u"Pepper Data/Shockwave Flash/WritableRoot/#SharedObjects"_s, u"Dir"_s)
         << formValuesRow(key(u"Forms"_s), profile);
    rows << sessionRows(key(u"LastSession"_s), profile);
    rows << searchRow(key(u"RecentSearches"_s), profile)
         << profileRow(u"Webpage Icons"_s, key(u"WebpageIcons"_s), profile, u"Favicons"_s)
         << localStorageRow(key(u"DOM"_s), tracepaths::join(profile, u"Local Storage"_s), p.keptPrefixes);
    return rows;
}
