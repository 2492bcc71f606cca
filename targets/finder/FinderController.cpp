#include "targets/finder/FinderController.h"

#include "core/RestartTool.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/MainThread.h"
#include "platform/system/ProcessInfo.h"
#include "targets/base/RecentLists.h"
#include "targets/finder/FinderPrefsViewController.h"
#include "targets/finder/FinderTraceTable.h"
#include "targets/finder/RecentItemLimits.h"

using namespace Qt::StringLiterals;

FinderController::FinderController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(finder::identifier), QString::fromLatin1(finder::scanKey),
                QString::fromLatin1(finder::displayName));
    setCategories(finder::categories());
    QList<TraceRow> rows = finder::traceRows();
    TraceRow &items = rows[finder::recentItemsRow];
    items.collect = [this] { addFinderRecentItems(); };
    items.remove = [this](const QString &) { removeFinderRecentItems(); };
    rows[finder::recentFoldersRow].remove = [this](const QString &) { removeFinderRecentFolders(); };
    setTraceTable(rows);
    setCleaningHandler(&FinderController::cleanFinder);
}

void FinderController::cleanFinder(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *FinderController::createPane()
{
    return new FinderPrefsViewController;
}

const TraceRow &FinderController::tableRow(int index) const
{
    return traceTable().at(index);
}

QString FinderController::itemName(int index) const
{
    return itemFullName(tableRow(index));
}

void FinderController::addFinderRecentItems()
{
    // Only the three lists count: entries under any other root key are not ours to offer.
    const TraceRow &row = tableRow(finder::recentItemsRow);
    const QString path = row.path();
    if (recentlists::anyHasItems(path, finder::recentLists))
        offerRow(row, path);
}

void FinderController::removeFinderRecentItems()
{
    const QString path = tableRow(finder::recentItemsRow).path();
    const RewriteOutcome outcome =
        keyRewriteRoute(itemName(finder::recentItemsRow), path, recentlists::clearItems(finder::recentLists),
                        [path] { recentlists::removeLockFile(path); });
    // The limits are reset only once the emptied list is in place.
    if (outcome == RewriteOutcome::Written)
        RecentItemLimits::reset();
}

void FinderController::removeFinderRecentFolders()
{
    const QString path = tableRow(finder::recentFoldersRow).path();
    bool hadFolders = false;
    const RewriteOutcome outcome = keyRewriteRoute(
        itemName(finder::recentFoldersRow), path,
        [&hadFolders](platform::PropertyList &list) { hadFolders = list.removeKey(finder::recentFoldersKey); },
        [path] { recentlists::removeLockFile(path); });
    if (outcome != RewriteOutcome::Written || !hadFolders)
        return;

    // The Finder keeps its folders in memory and the daemon caches the old list (10.9 on):
    // both must go, the daemon first, or the Finder would write the folders back.
    if (platform::Gestalt::isTenNineOrLater())
        platform::MainThread::performAndWait([this] { restartCFPrefsd(); });
    platform::MainThread::performAndWait([this] { restartFinder(); });
}

void FinderController::restartCFPrefsd()
{
    RestartTool::signal(u"cfprefsd"_s, RestartTool::Signal::Term);
}

void FinderController::restartFinder()
{
    RestartTool::signal(u"Finder"_s, RestartTool::Signal::Default);
}
