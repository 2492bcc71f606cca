#include "targets/finder/FinderTraceTable.h"

#include "targets/base/RecentLists.h"

namespace finder {

using recentlists::quarantineEventsRow;
using recentlists::sharedFileListRow;

namespace {
const QString recentItemsKey = QStringLiteral("finderRecentItems");
const QString quarantineKey = QStringLiteral("finderQuarantineEvents");
const QString recentFoldersCategory = QStringLiteral("finderRecentFolders");
const QString sfl = QStringLiteral("Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.");
} // namespace

QList<Category> categories()
{
    return {
        {recentItemsKey, QStringLiteral("Recent Items"), {}},
        {quarantineKey, QStringLiteral("Download Quarantine History"), {}},
        {recentFoldersCategory, QStringLiteral("Recent Folders"), {}},
    };
}

QList<TraceRow> traceRows()
{
    TraceRow recentItems = traceRow(QStringLiteral("Recent Items"), recentItemsKey,
                                    tracepaths::home(recentItemsList), QStringLiteral("Plist"));
    recentItems.extraInfo = QStringLiteral("RecentItems");
    recentItems.offer = TraceRow::Offer::Custom;
    recentItems.route = TraceRow::Route::Custom;

    TraceRow recentFolders = traceRow(QStringLiteral("Recent Folders"), recentFoldersCategory,
                                      tracepaths::home(finderList), QStringLiteral("Plist"));
    recentFolders.extraInfo = QStringLiteral("RecentFolders");
    recentFolders.offer = TraceRow::Offer::KeyNonEmpty;
    recentFolders.keyPath = {recentFoldersKey};
    recentFolders.route = TraceRow::Route::Custom;

    QList<TraceRow> rows = {
        recentItems,
        sharedFileListRow(QStringLiteral("Legacy Recent Applications Shared File List"), recentItemsKey, sfl + QStringLiteral("RecentApplications.sfl")),
        sharedFileListRow(QStringLiteral("Legacy Recent Documents Shared File List"), recentItemsKey, sfl + QStringLiteral("RecentDocuments.sfl")),
        sharedFileListRow(QStringLiteral("Legacy Recent Hosts Shared File List"), recentItemsKey, sfl + QStringLiteral("RecentHosts.sfl")),
        sharedFileListRow(QStringLiteral("Legacy Recent Servers Shared File List"), recentItemsKey, sfl + QStringLiteral("RecentServers.sfl")),
        sharedFileListRow(QStringLiteral("Recent Applications Shared File List"), recentItemsKey, sfl + QStringLiteral("RecentApplications.sfl2")),
        sharedFileListRow(QStringLiteral("Recent Documents Shared File List"), recentItemsKey, sfl + QStringLiteral("RecentDocuments.sfl2")),
        sharedFileListRow(QStringLiteral("Recent Hosts Shared File List"), recentItemsKey, sfl + QStringLiteral("RecentHosts.sfl2")),
        sharedFileListRow(QStringLiteral("Recent Servers Shared File List"), recentItemsKey, sfl + QStringLiteral("RecentServers.sfl2")),
        // Both databases are counted in one pass: a failed count on the older one ends it.
        quarantineEventsRow(QStringLiteral("Legacy Download Quarantine History"), quarantineKey, QStringLiteral("Library/Preferences/com.apple.LaunchServices.QuarantineEvents")),
        quarantineEventsRow(QStringLiteral("Download Quarantine History"), quarantineKey, QStringLiteral("Library/Preferences/com.apple.LaunchServices.QuarantineEventsV2")),
        recentFolders,
    };
    Q_ASSERT(rows.at(recentItemsRow).extraInfo == recentItems.extraInfo);
    Q_ASSERT(rows.at(recentFoldersRow).extraInfo == recentFolders.extraInfo);
    return rows;
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), QStringLiteral("Scan Finder")}, categories());
}

} // namespace finder
