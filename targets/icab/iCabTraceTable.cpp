#include "targets/icab/iCabTraceTable.h"

using namespace Qt::StringLiterals;

namespace icab {

using tracepaths::home;

QList<Category> categories()
{
    return {
        {u"iCabBrowsing"_s, u"Browsing History"_s, {}}, {u"iCabCache"_s, u"Cache"_s, {}},
        {u"iCabCookies"_s, u"Cookies"_s, {}, false},    {u"iCabDownloads"_s, u"Download History"_s, {}},
        {u"iCabLastSession"_s, u"Last Session"_s, {}},  {u"iCabRecentSearches"_s, u"Recent Searches"_s, {}},
        {u"iCabTopSites"_s, u"Top Sites"_s, {}},        {u"iCabWebpageIcons"_s, u"Webpage Icons"_s, {}},
        {u"iCabDOM"_s, u"DOM Storage"_s, {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString file = u"File"_s;
    const QString dir = u"Dir"_s;
    const QString lastSession = u"iCabLastSession"_s;
    return {
        traceRow(u"Browsing History"_s, u"iCabBrowsing"_s, home(u"Library/Preferences/iCab/iCab 4 History"_s), file),
        traceRow(u"Cache"_s, u"iCabCache"_s, home(u"Library/Caches/iCab/Cache.db"_s), file),
        traceRow(u"Cookies"_s, u"iCabCookies"_s, home(u"Library/Preferences/iCab/iCab 4 Cookies"_s), file),
        traceRow(u"Download History"_s, u"iCabDownloads"_s, home(u"Library/Preferences/iCab/iCab 4 Downloads"_s), file),
        traceRow(u"Last Session Information"_s, lastSession, home(u"Library/Preferences/iCab/iCab 4 AutoSaveSession"_s),
                 file),
        traceRow(u"Open Windows"_s, lastSession, home(u"Library/Saved Application State/de.icab.iCab.savedState"_s),
                 dir),
        // iCab rereads its own preferences; no daemon holds them.
        keyRewriteRow(u"Recent Searches"_s, u"iCabRecentSearches"_s, home(u"Library/Preferences/de.icab.iCab.plist"_s),
                      u"RecentSearches"_s),
        traceRow(u"Top Sites"_s, u"iCabTopSites"_s, home(u"Library/Preferences/iCab/iCab 4 TopTen"_s), file),
        traceRow(u"Webpage Icons"_s, u"iCabWebpageIcons"_s, home(u"Library/Icons/WebpageIcons.db"_s), file),
        traceRow(u"DOM Storage"_s, u"iCabDOM"_s, home(u"Library/Preferences/iCab/Databases"_s), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan iCab"_s}, categories());
}

} // namespace icab
