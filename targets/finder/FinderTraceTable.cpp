#include "targets/finder/FinderTraceTable.h"

#include "targets/base/RecentLists.h"

using namespace Qt::StringLiterals;

namespace finder {

using recentlists::quarantineEventsRow;
using recentlists::sharedFileListRow;

namespace {
const QString recentItemsKey = u"finderRecentItems"_s;
const QString quarantineKey = u"finderQuarantineEvents"_s;
const QString recentFoldersCategory = u"finderRecentFolders"_s;
const QString sfl = u"Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList."_s;
} // namespace

QList<Category> categories()
{
    return {
        {recentItemsKey, u"Recent Items"_s, {}},
        {quarantineKey, u"Download Quarantine History"_s, {}},
        {recentFoldersCategory, u"Recent Folders"_s, {}},
    };
}

QList<TraceRow> traceRows()
{
    TraceRow recentItems = traceRow(u"Recent Items"_s, recentItemsKey, tracepaths::home(recentItemsList), u"Plist"_s);
    recentItems.extraInfo = u"RecentItems"_s;
    recentItems.offer = TraceRow::Offer::Custom;
    recentItems.route = TraceRow::Route::Custom;

    TraceRow recentFolders =
        traceRow(u"Recent Folders"_s, recentFoldersCategory, tracepaths::home(finderList), u"Plist"_s);
    recentFolders.extraInfo = u"RecentFolders"_s;
    recentFolders.offer = TraceRow::Offer::KeyNonEmpty;
    recentFolders.keyPath = {recentFoldersKey};
    recentFolders.route = TraceRow::Route::Custom;

    QList<TraceRow> rows = {
        recentItems,
        sharedFileListRow(u"Legacy Recent Applications Shared File List"_s, recentItemsKey,
                          sfl + u"RecentApplications.sfl"_s),
        sharedFileListRow(u"Legacy Recent Documents Shared File List"_s, recentItemsKey,
                          sfl + u"RecentDocuments.sfl"_s),
        sharedFileListRow(u"Legacy Recent Hosts Shared File List"_s, recentItemsKey, sfl + u"RecentHosts.sfl"_s),
        sharedFileListRow(u"Legacy Recent Servers Shared File List"_s, recentItemsKey, sfl + u"RecentServers.sfl"_s),
        sharedFileListRow(u"Recent Applications Shared File List"_s, recentItemsKey,
                          sfl + u"RecentApplications.sfl2"_s),
        sharedFileListRow(u"Recent Documents Shared File List"_s, recentItemsKey, sfl + u"RecentDocuments.sfl2"_s),
        sharedFileListRow(u"Recent Hosts Shared File List"_s, recentItemsKey, sfl + u"RecentHosts.sfl2"_s),
        sharedFileListRow(u"Recent Servers Shared File List"_s, recentItemsKey, sfl + u"RecentServers.sfl2"_s),
        // Both databases are counted in one pass: a failed count on the older one ends it.
        quarantineEventsRow(u"Legacy Download Quarantine History"_s, quarantineKey,
                            u"Library/Preferences/com.apple.LaunchServices.QuarantineEvents"_s),
        quarantineEventsRow(u"Download Quarantine History"_s, quarantineKey,
                            u"Library/Preferences/com.apple.LaunchServices.QuarantineEventsV2"_s),
        recentFolders,
    };
    Q_ASSERT(rows.at(recentItemsRow).extraInfo == recentItems.extraInfo);
    Q_ASSERT(rows.at(recentFoldersRow).extraInfo == recentFolders.extraInfo);
    return rows;
}

PaneSwitches paneSwitches()
{
    return paneSwitchesFor({QString::fromLatin1(scanKey), u"Scan Finder"_s}, categories());
}

} // namespace finder
