#include "targets/shiira/ShiiraTraceTable.h"

namespace shiira {

using tracepaths::home;

QList<Category> categories()
{
    return {
        {QStringLiteral("shiiraBrowsing"), QStringLiteral("Browsing History"), {}},
        {QStringLiteral("shiiraCache"), QStringLiteral("Cache"), {}},
        {QStringLiteral("shiiraCookies"), QStringLiteral("Cookies"), {}},
        {QStringLiteral("shiiraDownloads"), QStringLiteral("Download History"), {}},
        {QStringLiteral("shiiraLastSession"), QStringLiteral("Last Session"), {}},
        {QStringLiteral("shiiraWebpageIcons"), QStringLiteral("Webpage Icons"), {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString file = QStringLiteral("File");
    const QString lastSession = QStringLiteral("shiiraLastSession");
    return {
        traceRow(QStringLiteral("Browsing History"), QStringLiteral("shiiraBrowsing"), home(QStringLiteral("Library/Application Support/Shiira/History.plist")), file),
        traceRow(QStringLiteral("Cache"), QStringLiteral("shiiraCache"), home(QStringLiteral("Library/Caches/jp.hmdt.shiira/Cache.db")), file),
        // The same file as Safari's cookies: whichever row is cleaned second finds it gone.
        traceRow(QStringLiteral("Cookies"), QStringLiteral("shiiraCookies"), home(QStringLiteral("Library/Cookies/Cookies.plist")), file),
        // The download list is the ZDOWNLOADITEM table of Shiira's Core Data store: its rows
        // go, the store stays.
        sqlRow(QStringLiteral("Download History"), QStringLiteral("shiiraDownloads"),
               home(QStringLiteral("Library/Application Support/Shiira/Shiira.sql")),
               QStringLiteral("SELECT count(*) FROM ZDOWNLOADITEM;"), QStringLiteral("DELETE FROM ZDOWNLOADITEM;")),
        keyRewriteRow(QStringLiteral("Last Session Information"), lastSession,
                      home(QStringLiteral("Library/Preferences/jp.hmdt.shiira.plist")), QStringLiteral("generalLastPages")),
        traceRow(QStringLiteral("Open Windows"), lastSession, home(QStringLiteral("Library/Saved Application State/jp.hmdt.shiira.savedState")), QStringLiteral("Dir")),
        traceRow(QStringLiteral("Webpage Icons"), QStringLiteral("shiiraWebpageIcons"), home(QStringLiteral("Library/Application Support/Shiira/IconDatabase/WebpageIcons.db")), file),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan Shiira")}, categories());
}

} // namespace shiira
