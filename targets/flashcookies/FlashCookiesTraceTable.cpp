#include "targets/flashcookies/FlashCookiesTraceTable.h"

namespace flashcookies {

static std::function<QString()> player(const QString &relative)
{
    return tracepaths::home(QString::fromLatin1(playerFolder) + QLatin1Char('/') + relative);
}

// The category keys say Cookie, the display name Cookies.
QList<Category> categories()
{
    return {
        {QStringLiteral("flashCookieHistory"), QStringLiteral("History"), {}},
        {QStringLiteral("flashCookieSharedObjects"), QStringLiteral("Shared Objects"), {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString dir = QStringLiteral("Dir");
    return {
        traceRow(QStringLiteral("History"), QStringLiteral("flashCookieHistory"), player(QStringLiteral("macromedia.com")), dir),
        traceRow(QStringLiteral("Shared Objects"), QStringLiteral("flashCookieSharedObjects"), player(QStringLiteral("#SharedObjects")), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan Flash Cookies")}, categories());
}

} // namespace flashcookies
