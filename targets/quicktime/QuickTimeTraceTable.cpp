#include "targets/quicktime/QuickTimeTraceTable.h"

#include "targets/base/RecentLists.h"

using namespace Qt::StringLiterals;

namespace quicktime {

using tracepaths::home;

namespace {
const QString cacheKey = u"quickTimeCache"_s;
const QString quarantineKey = u"quickTimeQuarantineEvents"_s;
const QString recentKey = u"quickTimeRecentItems"_s;
// The application's sandbox container.
const QString container = u"Library/Containers/com.apple.QuickTimePlayerX/Data/Library/"_s;
const QString sfl =
    u"Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.ApplicationRecentDocuments/"_s;

TraceRow recentURLsRow(const QString &classification, const QString &relativePath, TraceRow::Notice notice)
{
    TraceRow row = keyRewriteRow(classification, recentKey, home(relativePath), u"MGRecentURLPropertyLists"_s);
    row.notice = notice;
    return row;
}
} // namespace

QList<Category> categories()
{
    return {
        {cacheKey, u"Cache"_s, {}},
        {quarantineKey, u"Download Quarantine History"_s, {}},
        {recentKey, u"Recent Items"_s, {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString dir = u"Dir"_s;
    return {
        traceRow(u"Cache"_s, cacheKey, home(u"Library/Caches/QuickTime/downloads"_s), dir),
        recentlists::quarantineEventsRow(u"Download Quarantine History"_s, quarantineKey,
                                         container + u"Preferences/com.apple.LaunchServices.QuarantineEventsV2"_s),
        recentlists::recentDocumentsRow(recentKey,
                                        u"Library/Preferences/com.apple.QuickTimePlayerX.LSSharedFileList.plist"_s),
        recentlists::sharedFileListRow(u"Legacy Recent Items Shared File List"_s, recentKey,
                                       sfl + u"com.apple.quicktimeplayerx.sfl"_s),
        recentlists::sharedFileListRow(u"Recent Items Shared File List"_s, recentKey,
                                       sfl + u"com.apple.quicktimeplayerx.sfl2"_s),
        // Only the container's copy is the one the preferences daemon serves.
        recentURLsRow(u"Recent URLs"_s, container + u"Preferences/com.apple.QuickTimePlayerX.plist"_s,
                      TraceRow::Notice::PrefsDaemon),
        recentURLsRow(u"Legacy Recent URLs"_s, u"Library/Preferences/com.apple.QuickTimePlayerX.plist"_s,
                      TraceRow::Notice::None),
        traceRow(u"Open Windows"_s, recentKey,
                 home(container + u"Saved Application State/com.apple.QuickTimePlayerX.savedState"_s), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan QuickTime Player"_s}, categories());
}

} // namespace quicktime
