#include "targets/finder/FinderController.h"

#include "core/RestartTool.h"
#include "platform/MainThread.h"
#include "platform/ProcessInfo.h"
#include "platform/PropertyList.h"
#include "targets/base/RecentLists.h"
#include "targets/finder/FinderPrefsViewController.h"
#include "targets/finder/FinderTraceTable.h"
#include "targets/finder/RecentItemLimits.h"

namespace {
const QString recentItems = QStringLiteral("Recent Items");
const QString recentFolders = QStringLiteral("Recent Folders");
} // namespace

FinderController::FinderController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(finder::identifier), QString::fromLatin1(finder::scanKey),
                QString::fromLatin1(finder::displayName));
    setCategories(finder::categories());
    QList<TraceRow> rows = finder::traceRows();
    for (TraceRow &row : rows) {
        if (row.classification == recentItems) {
            row.collect = [this] { addFinderRecentItems(); };
            row.remove = [this](const QString &) { removeFinderRecentItems(); };
        } else if (row.classification == recentFolders) {
            row.remove = [this](const QString &) { removeFinderRecentFolders(); };
        }
    }
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

const TraceRow &FinderController::tableRow(const QString &classification) const
{
    for (const TraceRow &row : traceTable()) {
        if (row.classification == classification)
            return row;
    }
    Q_UNREACHABLE();
}

QString FinderController::itemName(const QString &classification) const
{
    return itemFullName(tableRow(classification));
}

void FinderController::addFinderRecentItems()
{
    // Only the three lists count: entries under any other root key are not ours to offer.
    const TraceRow &row = tableRow(recentItems);
    const QString path = row.path();
    if (recentlists::anyHasItems(path, finder::recentLists))
        offerRow(row, path);
}

void FinderController::removeFinderRecentItems()
{
    const QString path = tableRow(recentItems).path();
    const RewriteOutcome outcome =
        keyRewriteRoute(itemName(recentItems), path, recentlists::clearItems(finder::recentLists),
                        [path] { recentlists::removeLockFile(path); });
    // The limits are reset only once the emptied list is in place.
    if (outcome == RewriteOutcome::Written)
        RecentItemLimits::reset();
}

void FinderController::removeFinderRecentFolders()
{
    const QString path = tableRow(recentFolders).path();
    bool hadFolders = false;
    const RewriteOutcome outcome = keyRewriteRoute(
        itemName(recentFolders), path,
        [&hadFolders](platform::PropertyList &list) {
            hadFolders = list.removeKey(finder::recentFoldersKey);
        },
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
    RestartTool::signal(QStringLiteral("cfprefsd"), RestartTool::Signal::Term);
}

void FinderController::restartFinder()
{
    RestartTool::signal(QStringLiteral("Finder"), RestartTool::Signal::Default);
}
