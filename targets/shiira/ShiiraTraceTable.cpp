#include "targets/shiira/ShiiraTraceTable.h"

using namespace Qt::StringLiterals;

namespace shiira {

using tracepaths::home;

QList<Category> categories()
{
    return {
        {u"shiiraBrowsing"_s, u"Browsing History"_s, {}}, {u"shiiraCache"_s, u"Cache"_s, {}},
        {u"shiiraCookies"_s, u"Cookies"_s, {}, false},    {u"shiiraDownloads"_s, u"Download History"_s, {}},
        {u"shiiraLastSession"_s, u"Last Session"_s, {}},  {u"shiiraWebpageIcons"_s, u"Webpage Icons"_s, {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString file = u"File"_s;
    const QString lastSession = u"shiiraLastSession"_s;
    return {
        traceRow(u"Browsing History"_s, u"shiiraBrowsing"_s,
                 home(u"Library/Application Support/Shiira/History.plist"_s), file),
        traceRow(u"Cache"_s, u"shiiraCache"_s, home(u"Library/Caches/jp.hmdt.shiira/Cache.db"_s), file),
        // The same file as Safari's cookies: whichever row is cleaned second finds it gone.
        traceRow(u"Cookies"_s, u"shiiraCookies"_s, home(u"Library/Cookies/Cookies.plist"_s), file),
        // The download list is the ZDOWNLOADITEM table of Shiira's Core Data store: its rows
        // go, the store stays.
        sqlRow(u"Download History"_s, u"shiiraDownloads"_s, home(u"Library/Application Support/Shiira/Shiira.sql"_s),
               u"SELECT count(*) FROM ZDOWNLOADITEM;"_s, u"DELETE FROM ZDOWNLOADITEM;"_s),
        keyRewriteRow(u"Last Session Information"_s, lastSession, home(u"Library/Preferences/jp.hmdt.shiira.plist"_s),
                      u"generalLastPages"_s),
        traceRow(u"Open Windows"_s, lastSession, home(u"Library/Saved Application State/jp.hmdt.shiira.savedState"_s),
                 u"Dir"_s),
        traceRow(u"Webpage Icons"_s, u"shiiraWebpageIcons"_s,
                 home(u"Library/Application Support/Shiira/IconDatabase/WebpageIcons.db"_s), file),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan Shiira"_s}, categories());
}

} // namespace shiira
