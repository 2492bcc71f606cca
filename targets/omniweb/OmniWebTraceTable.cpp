#include "targets/omniweb/OmniWebTraceTable.h"

using namespace Qt::StringLiterals;

namespace omniweb {

using tracepaths::home;

QList<Category> categories()
{
    return {
        {u"omniWebBrowsing"_s, u"Browsing History"_s, {}}, {u"omniWebCache"_s, u"Cache"_s, {}},
        {u"omniWebCookies"_s, u"Cookies"_s, {}, false},    {u"omniWebDownloads"_s, u"Download History"_s, {}},
        {u"omniWebForms"_s, u"Form Values"_s, {}},         {u"omniWebWebpageIcons"_s, u"Webpage Icons"_s, {}},
    };
}

static std::function<QString()> support(const QString &relative)
{
    return home(u"Library/Application Support/OmniWeb 5/"_s + relative);
}

QList<TraceRow> traceRows()
{
    const QString file = u"File"_s;
    const QString browsing = u"omniWebBrowsing"_s;
    // Downloads and form values are two keys of one list; cleaning both in one run rewrites
    // it twice, and each rewrite reads what the one before left.
    const auto prefs = home(u"Library/Preferences/com.omnigroup.OmniWeb5.plist"_s);
    return {
        traceRow(u"Browsing History"_s, browsing, support(u"History.plist"_s), file),
        traceRow(u"History Index"_s, browsing, support(u"HistoryIndex.ox"_s), file),
        traceRow(u"History Index Log"_s, browsing, support(u"HistoryIndex.ox.log"_s), file),
        traceRow(u"Cache"_s, u"omniWebCache"_s, home(u"Library/Caches/com.omnigroup.OmniWeb5/WebKitCache/Cache.db"_s),
                 file),
        traceRow(u"Cookies"_s, u"omniWebCookies"_s, support(u"Cookies.xml"_s), file),
        keyRewriteRow(u"Download History"_s, u"omniWebDownloads"_s, prefs, u"OWPersistentDownloadedFileFossils"_s),
        keyRewriteRow(u"Form Values"_s, u"omniWebForms"_s, prefs, u"OWFormAutoFillSets"_s),
        traceRow(u"Webpage Icons"_s, u"omniWebWebpageIcons"_s, support(u"Icons/WebpageIcons.db"_s), file),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan OmniWeb"_s}, categories());
}

} // namespace omniweb
