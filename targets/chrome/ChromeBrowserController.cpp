#include "targets/chrome/ChromeBrowserController.h"

#include "core/Keys.h"

using tracepaths::home;

ChromeBrowserController::ChromeBrowserController(const ChromeParameters &parameters, QObject *parent)
    : ChromiumModuleController(paneOf(parameters), parent)
    , m_parameters(parameters)
{
    setTraceTable(traceRows());
}

ChromiumSwitches ChromeBrowserController::switchesFor(const QString &name)
{
    return ChromiumSwitches(name, {QStringLiteral("Browsing"), QStringLiteral("Cache"),
                                   QStringLiteral("Cookies"), QStringLiteral("Downloads"),
                                   keys::FlashCookies, QStringLiteral("Forms"),
                                   QStringLiteral("LastSession"), QStringLiteral("RecentSearches"),
                                   QStringLiteral("WebpageIcons"), QStringLiteral("DOM")});
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
    const QString browsing = key(QStringLiteral("Browsing"));
    const QString cache = key(QStringLiteral("Cache"));
    QList<TraceRow> rows = browsingRows(browsing, profile, true);
    rows << profileRow(QStringLiteral("Visited Links History"), browsing, profile, QStringLiteral("Visited Links"))
         << traceRow(QStringLiteral("Cache"), cache, home(p.cache), QStringLiteral("Dir"))
         << profileRow(QStringLiteral("History Provider Cache"), cache, profile, QStringLiteral("History Provider Cache"))
         << profileRow(QStringLiteral("Cookies"), key(QStringLiteral("Cookies")), profile, QStringLiteral("Cookies"));
    rows << downloadRows(key(QStringLiteral("Downloads")), profile, true);
    rows << profileRow(QStringLiteral("Flash Cookies"), key(keys::FlashCookies), profile,
                       QStringLiteral("Pepper Data/Shockwave Flash/WritableRoot/#SharedObjects"), QStringLiteral("Dir"))
         << profileRow(QStringLiteral("Form Values"), key(QStringLiteral("Forms")), profile, QStringLiteral("Web Data"));
    rows << sessionRows(key(QStringLiteral("LastSession")), profile);
    rows << searchRow(key(QStringLiteral("RecentSearches")), profile)
         << profileRow(QStringLiteral("Webpage Icons"), key(QStringLiteral("WebpageIcons")), profile, QStringLiteral("Favicons"))
         << localStorageRow(
                key(QStringLiteral("DOM")), tracepaths::join(profile, QStringLiteral("Local Storage")),
                p.keptPrefixes);
    return rows;
}
