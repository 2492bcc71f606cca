#include "targets/base/RecentLists.h"

#include "core/FileController.h"
#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"

using namespace Qt::StringLiterals;

namespace recentlists {

std::function<void(platform::PropertyList &)> clearItems(const QStringList &lists)
{
    return [lists](platform::PropertyList &list) {
        for (const QString &name : lists)
            list.removeKeyPath({name, customListItems});
    };
}

bool anyHasItems(const QString &path, const QStringList &lists)
{
    for (const QString &name : lists) {
        if (FileController::listHasElementsAtKeyPath(path, {name, customListItems}))
            return true;
    }
    return false;
}

TraceRow recentDocumentsRow(const QString &categoryKey, const QString &relativePath)
{
    TraceRow row = traceRow(u"Recent Items"_s, categoryKey, tracepaths::home(relativePath), u"Plist"_s);
    row.extraInfo = recentDocuments;
    row.offer = TraceRow::Offer::KeyNonEmpty;
    row.keyPath = {recentDocuments, customListItems};
    row.route = TraceRow::Route::KeyRewrite;
    row.edit = clearItems({recentDocuments});
    row.notice = TraceRow::Notice::PrefsDaemon;
    return row;
}

TraceRow sharedFileListRow(const QString &classification, const QString &categoryKey, const QString &relativePath)
{
    TraceRow row = traceRow(classification, categoryKey, tracepaths::home(relativePath), u"File"_s);
    row.notice = TraceRow::Notice::SharedFileList;
    return row;
}

TraceRow quarantineEventsRow(const QString &classification, const QString &categoryKey, const QString &relativePath)
{
    return sqlRow(classification, categoryKey, tracepaths::home(relativePath),
                  u"SELECT count(*) FROM LSQuarantineEvent;"_s, u"DELETE FROM LSQuarantineEvent;"_s);
}

void removeLockFile(const QString &listPath)
{
    const QString lock = listPath + u".lockfile"_s;
    const platform::FileManager &fm = platform::FileManager::defaultManager();
    const std::optional<platform::FileAttributes> attributes = fm.attributesOfItemAtPath(lock);
    // A folder of that name is not a lock file: nothing inside it is ours to delete.
    if (attributes && !attributes->isDirectory)
        fm.removeItemAtPath(lock);
}

} // namespace recentlists
