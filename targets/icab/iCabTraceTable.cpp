#include "targets/icab/iCabTraceTable.h"

namespace icab {

using tracepaths::home;

QList<Category> categories()
{
    return {
        {QStringLiteral("iCabBrowsing"), QStringLiteral("Browsing History"), {}},
        {QStringLiteral("iCabCache"), QStringLiteral("Cache"), {}},
        {QStringLiteral("iCabCookies"), QStringLiteral("Cookies"), {}},
        {QStringLiteral("iCabDownloads"), QStringLiteral("Download History"), {}},
        {QStringLiteral("iCabLastSession"), QStringLiteral("Last Session"), {}},
        {QStringLiteral("iCabRecentSearches"), QStringLiteral("Recent Searches"), {}},
        {QStringLiteral("iCabTopSites"), QStringLiteral("Top Sites"), {}},
        {QStringLiteral("iCabWebpageIcons"), QStringLiteral("Webpage Icons"), {}},
        {QStringLiteral("iCabDOM"), QStringLiteral("DOM Storage"), {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString file = QStringLiteral("File");
    const QString dir = QStringLiteral("Dir");
    const QString lastSession = QStringLiteral("iCabLastSession");
    return {
        traceRow(QStringLiteral("Browsing History"), QStringLiteral("iCabBrowsing"), home(QStringLiteral("Library/Preferences/iCab/iCab 4 History")), file),
        traceRow(QStringLiteral("Cache"), QStringLiteral("iCabCache"), home(QStringLiteral("Library/Caches/iCab/Cache.db")), file),
        traceRow(QStringLiteral("Cookies"), QStringLiteral("iCabCookies"), home(QStringLiteral("Library/Preferences/iCab/iCab 4 Cookies")), file),
        traceRow(QStringLiteral("Download History"), QStringLiteral("iCabDownloads"), home(QStringLiteral("Library/Preferences/iCab/iCab 4 Downloads")), file),
        traceRow(QStringLiteral("Last Session Information"), lastSession, home(QStringLiteral("Library/Preferences/iCab/iCab 4 AutoSaveSession")), file),
        traceRow(QStringLiteral("Open Windows"), lastSession, home(QStringLiteral("Library/Saved Application State/de.icab.iCab.savedState")), dir),
        // iCab rereads its own preferences; no daemon holds them.
        keyRewriteRow(QStringLiteral("Recent Searches"), QStringLiteral("iCabRecentSearches"),
                      home(QStringLiteral("Library/Preferences/de.icab.iCab.plist")), QStringLiteral("RecentSearches")),
        traceRow(QStringLiteral("Top Sites"), QStringLiteral("iCabTopSites"), home(QStringLiteral("Library/Preferences/iCab/iCab 4 TopTen")), file),
        traceRow(QStringLiteral("Webpage Icons"), QStringLiteral("iCabWebpageIcons"), home(QStringLiteral("Library/Icons/WebpageIcons.db")), file),
        traceRow(QStringLiteral("DOM Storage"), QStringLiteral("iCabDOM"), home(QStringLiteral("Library/Preferences/iCab/Databases")), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan iCab")}, categories());
}

} // namespace icab
