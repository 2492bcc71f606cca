#include "targets/safari/SafariTraceTable.h"

namespace safari {

using tracepaths::home;

QList<Category> categories()
{
    return {
        {QStringLiteral("safariBrowsing"), QStringLiteral("Browsing History"), {}},
        {QStringLiteral("safariCache"), QStringLiteral("Cache"), {}},
        {QStringLiteral("safariCookies"), QStringLiteral("Cookies"), {}},
        {QStringLiteral("safariDownloads"), QStringLiteral("Download History"), {}},
        {QStringLiteral("safariForms"), QStringLiteral("Form Values"), {}},
        {QStringLiteral("safariLastSession"), QStringLiteral("Last Session"), {}},
        {QStringLiteral("safariRecentSearches"), QStringLiteral("Recent Searches"), {}},
        {QStringLiteral("safariTopSites"), QStringLiteral("Top Sites"), {}},
        {QStringLiteral("safariWebpageIcons"), QStringLiteral("Webpage Icons"), {}},
        {QStringLiteral("safariDOM"), QStringLiteral("DOM Storage"), {}},
    };
}

// A recent-search list kept in Safari's preferences: offered while the key holds entries,
// cleaned by writing the list back without it, after which the preferences daemon must
// reread the file.
static TraceRow recentSearchRow(const QString &classification, const QString &key)
{
    TraceRow row = keyRewriteRow(classification, QStringLiteral("safariRecentSearches"),
                                 home(QStringLiteral("Library/Preferences/com.apple.Safari.plist")), key);
    row.notice = TraceRow::Notice::PrefsDaemon;
    return row;
}

QList<TraceRow> traceRows()
{
    const QString file = QStringLiteral("File");
    const QString dir = QStringLiteral("Dir");
    const QString browsing = QStringLiteral("safariBrowsing");
    const QString cache = QStringLiteral("safariCache");
    const QString cookies = QStringLiteral("safariCookies");
    const QString lastSession = QStringLiteral("safariLastSession");
    const QString dom = QStringLiteral("safariDOM");
    return {
        traceRow(QStringLiteral("Browsing History"), browsing, home(QStringLiteral("Library/Safari/History.plist")), file),
        traceRow(QStringLiteral("Browsing History Database"), browsing, home(QStringLiteral("Library/Safari/History.db")), file),
        traceRow(QStringLiteral("History Index"), browsing, home(QStringLiteral("Library/Safari/HistoryIndex.sk")), file),
        traceRow(QStringLiteral("Recently Closed Tabs"), browsing, home(QStringLiteral("Library/Safari/RecentlyClosedTabs.plist")), file),
        traceRow(QStringLiteral("Cache"), cache, home(QStringLiteral("Library/Caches/com.apple.Safari/Cache.db")), file),
        traceRow(QStringLiteral("Metadata Cache"), cache, home(QStringLiteral("Library/Caches/Metadata/Safari/History")), file),
        traceRow(QStringLiteral("Data Cache"), cache, home(QStringLiteral("Library/Caches/com.apple.Safari/fsCachedData")), dir),
        traceRow(QStringLiteral("WebKit Cache"), cache, home(QStringLiteral("Library/Caches/com.apple.Safari/WebKitCache")), dir),
        // The media cache lives under the per-user temporary directory, not the home folder.
        traceRow(QStringLiteral("Webkit Media Cache"), cache, tracepaths::temporaryDirectory(QStringLiteral("/com.apple.Safari/Webkit/MediaCache")), dir),
        traceRow(QStringLiteral("Webpage Previews Cache"), cache, home(QStringLiteral("Library/Caches/com.apple.Safari/Webpage Previews")), dir),
        traceRow(QStringLiteral("Cookies"), cookies, home(QStringLiteral("Library/Cookies/Cookies.plist")), file),
        // The removal engine also empties the shared cookie store when it destroys this one.
        traceRow(QStringLiteral("Binary Cookies"), cookies, home(QStringLiteral("Library/Cookies/Cookies.binarycookies")), file),
        traceRow(QStringLiteral("Download History"), QStringLiteral("safariDownloads"), home(QStringLiteral("Library/Safari/Downloads.plist")), file),
        traceRow(QStringLiteral("Form Values"), QStringLiteral("safariForms"), home(QStringLiteral("Library/Safari/Form Values")), file),
        traceRow(QStringLiteral("Last Session Information"), lastSession, home(QStringLiteral("Library/Safari/LastSession.plist")), file),
        traceRow(QStringLiteral("Open Windows"), lastSession, home(QStringLiteral("Library/Saved Application State/com.apple.Safari.savedState")), dir),
        recentSearchRow(QStringLiteral("Recent Searches"), QStringLiteral("RecentSearchStrings")),
        recentSearchRow(QStringLiteral("Recent Web Searches"), QStringLiteral("RecentWebSearches")),
        traceRow(QStringLiteral("Top Sites"), QStringLiteral("safariTopSites"), home(QStringLiteral("Library/Safari/TopSites.plist")), file),
        traceRow(QStringLiteral("Webpage Icons"), QStringLiteral("safariWebpageIcons"), home(QStringLiteral("Library/Safari/WebpageIcons.db")), file),
        traceRow(QStringLiteral("DOM Storage"), dom, home(QStringLiteral("Library/Safari/LocalStorage")), file),
        traceRow(QStringLiteral("Website Databases"), dom, home(QStringLiteral("Library/Safari/Databases")), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan Safari")}, categories());
}

} // namespace safari
