#include "targets/flashcookies/FlashCookiesTraceTable.h"

using namespace Qt::StringLiterals;

namespace flashcookies {

static std::function<QString()> player(const QString &relative)
{
    return tracepaths::home(QString::fromLatin1(playerFolder) + QLatin1Char('/') + relative);
}

// The category keys say Cookie, the display name Cookies.
QList<Category> categories()
{
    return {
        {u"flashCookieHistory"_s, u"History"_s, {}},
        {u"flashCookieSharedObjects"_s, u"Shared Objects"_s, {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString dir = u"Dir"_s;
    return {
        traceRow(u"History"_s, u"flashCookieHistory"_s, player(u"macromedia.com"_s), dir),
        traceRow(u"Shared Objects"_s, u"flashCookieSharedObjects"_s, player(u"#SharedObjects"_s), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan Flash Cookies"_s}, categories());
}

} // namespace flashcookies
