#include "targets/quicktime/QuickTimeTraceTable.h"

#include "targets/base/RecentLists.h"

namespace quicktime {

using tracepaths::home;

namespace {
const QString cacheKey = QStringLiteral("quickTimeCache");
const QString quarantineKey = QStringLiteral("quickTimeQuarantineEvents");
const QString recentKey = QStringLiteral("quickTimeRecentItems");
// The application's sandbox container.
const QString container = QStringLiteral("Library/Containers/com.apple.QuickTimePlayerX/Data/Library/");
const QString sfl = QStringLiteral("Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.ApplicationRecentDocuments/");

TraceRow recentURLsRow(const QString &classification, const QString &relativePath,
                       TraceRow::Notice notice)
{
    TraceRow row = keyRewriteRow(classification, recentKey, home(relativePath),
                                 QStringLiteral("MGRecentURLPropertyLists"));
    row.notice = notice;
    return row;
}
} // namespace

QList<Category> categories()
{
    return {
        {cacheKey, QStringLiteral("Cache"), {}},
        {quarantineKey, QStringLiteral("Download Quarantine History"), {}},
        {recentKey, QStringLiteral("Recent Items"), {}},
    };
}

QList<TraceRow> traceRows()
{
    const QString dir = QStringLiteral("Dir");
    return {
        traceRow(QStringLiteral("Cache"), cacheKey, home(QStringLiteral("Library/Caches/QuickTime/downloads")), dir),
        recentlists::quarantineEventsRow(QStringLiteral("Download Quarantine History"), quarantineKey, container + QStringLiteral("Preferences/com.apple.LaunchServices.QuarantineEventsV2")),
        recentlists::recentDocumentsRow(recentKey, QStringLiteral("Library/Preferences/com.apple.QuickTimePlayerX.LSSharedFileList.plist")),
        recentlists::sharedFileListRow(QStringLiteral("Legacy Recent Items Shared File List"), recentKey, sfl + QStringLiteral("com.apple.quicktimeplayerx.sfl")),
        recentlists::sharedFileListRow(QStringLiteral("Recent Items Shared File List"), recentKey, sfl + QStringLiteral("com.apple.quicktimeplayerx.sfl2")),
        // Only the container's copy is the one the preferences daemon serves.
        recentURLsRow(QStringLiteral("Recent URLs"), container + QStringLiteral("Preferences/com.apple.QuickTimePlayerX.plist"), TraceRow::Notice::PrefsDaemon),
        recentURLsRow(QStringLiteral("Legacy Recent URLs"), QStringLiteral("Library/Preferences/com.apple.QuickTimePlayerX.plist"), TraceRow::Notice::None),
        traceRow(QStringLiteral("Open Windows"), recentKey, home(container + QStringLiteral("Saved Application State/com.apple.QuickTimePlayerX.savedState")), dir),
    };
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan QuickTime Player")}, categories());
}

} // namespace quicktime
