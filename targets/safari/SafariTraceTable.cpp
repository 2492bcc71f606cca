#include "targets/safari/SafariTraceTable.h"

using namespace Qt::StringLiterals;

namespace safari {

using tracepaths::home;

QList<Category> categories()
{
    return {
        {u"safariBrowsing"_s, u"Browsing History"_s, {}},
        {u"safariCache"_s, u"Cache"_s, {}},
        {u"safariCookies"_s, u"Cookies"_s, {}, false},
        {u"safariDownloads"_s, u"Download History"_s, {}},
        {u"safariForms"_s, u"Form Values"_s, {}},
        {u"safariLastSession"_s, u"Last Session"_s, {}},
        {u"safariRecentSearches"_s, u"Recent Searches"_s, {}},
        {u"safariTopSites"_s, u"Top Sites"_s, {}},
        {u"safariWebpageIcons"_s, u"Webpage Icons"_s, {}},
        {u"safariDOM"_s, u"DOM Storage"_s, {}},
    };
}

// A recent-search list kept in Safari's preferences: offered while the key holds entries,
// cleaned by writing the list back without it, after which the preferences daemon must
// reread the file.
static TraceRow recentSearchRow(const QString &classification, const QString &key)
{
    TraceRow row = keyRewriteRow(classification, u"safariRecentSearches"_s,
                                 home(u"Library/Preferences/com.apple.Safari.plist"_s), key);
    row.notice = TraceRow::Notice::PrefsDaemon;
    return row;
}

QList<TraceRow> traceRows()
{
    const QString file = u"File"_s;
    const QString dir = u"Dir"_s;
    const QString browsing = u"safariBrowsing"_s;
    const QString cache = u"safariCache"_s;
    const QString cookies = u"safariCookies"_s;
    const QString lastSession = u"safariLastSession"_s;
    const QString dom = u"safariDOM"_s;
    return {
        traceRow(u"Browsing History"_s, browsing, home(u"Library/Safari/History.plist"_s), file),
        traceRow(u"Browsing History Database"_s, browsing, home(u"Library/Safari/History.db"_s), file),
        traceRow(u"History Index"_s, browsing, home(u"Library/Safari/HistoryIndex.sk"_s), file),
        traceRow(u"Recently Closed Tabs"_s, browsing, home(u"Library/Safari/RecentlyClosedTabs.plist"_s), file),
        traceRow(u"Cache"_s, cache, home(u"Library/Caches/com.apple.Safari/Cache.db"_s), file),
        traceRow(u"Metadata Cache"_s, cache, home(u"Library/Caches/Metadata/Safari/History"_s), file),
        traceRow(u"Data Cache"_s, cache, home(u"Library/Caches/com.apple.Safari/fsCachedData"_s), dir),
        traceRow(u"WebKit Cache"_s, cache, home(u"Library/Caches/com.apple.Safari/WebKitCache"_s), dir),
        // The media cache lives under the per-user temporary directory, not the home folder.
        traceRow(u"Webkit Media Cache"_s, cache,
                 tracepaths::temporaryDirectory(u"/com.apple.Safari/Webkit/MediaCache"_s), dir),
        traceRow(u"Webpage Previews Cache"_s, cache, home(u"Library/Caches/com.apple.Safari/Webpage Previews"_s), dir),
        traceRow(u"Cookies"_s, cookies, home(u"Library/Cookies/Cookies.plist"_s), file),
        // The removal engine also empties the shared cookie store when it destroys this one.
        traceRow(u"Binary Cookies"_s, cookies, home(u"Library/Cookies/Cookies.binarycookies"_s), file),
        traceRow(u"Download History"_s, u"safariDownloads"_s, home(u"Library/Safari/Downloads.plist"_s), file),
        traceRow(u"Form Values"_s, u"safariForms"_s, home(u"Library/Safari/Form Values"_s), file),
        traceRow(u"Last Session Information"_s, lastSession, home(u"Library/Safari/LastSession.plist"_s), file),
        traceRow(u"Open Windows"_s, lastSession, home(u"Library/Saved Application State/com.apple.Safari.savedState"_s),
                 dir),
        recentSearchRow(u"Recent Searches"_s, u"RecentSearchStrings"_s),
        recentSearchRow(u"Recent Web Searches"_s, u"RecentWebSearches"_s),
        traceRow(u"Top Sites"_s, u"safariTopSites"_s, home(u"Library/Safari/TopSites.plist"_s), file),
        traceRow(u"Webpage Icons"_s, u"safariWebpageIcons"_s, home(u"Library/Safari/WebpageIcons.db"_s), file),
        traceRow(u"DOM Storage"_s, dom, home(u"Library/Safari/LocalStorage"_s), file),
        traceRow(u"Website Databases"_s, dom, home(u"Library/Safari/Databases"_s), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan Safari"_s}, categories());
}

} // namespace safari
