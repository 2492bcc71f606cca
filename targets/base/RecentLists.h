#pragma once

#include "targets/base/TraceTable.h"

#include <QString>
#include <QStringList>

#include <functional>

using namespace Qt::StringLiterals;

namespace platform {
class PropertyList;
}

// The system's recent-item lists and the files beside them, shared by the Finder, QuickTime
// Player and Preview modules. A recent-items property list holds one dictionary per list
// ("RecentDocuments" ...), each with its entries under "CustomListItems" next to settings
// such as "MaxAmount"; cleaning drops the entries and keeps everything else node for node.
namespace recentlists {

inline const QString customListItems = u"CustomListItems"_s;
inline const QString recentDocuments = u"RecentDocuments"_s;

// The edit of the recent-list rewrite: removes "CustomListItems" from each named dictionary
// of the root. A named value that is missing or is not a dictionary is left as it is.
std::function<void(platform::PropertyList &)> clearItems(const QStringList &lists);

// True when the list at path parses and at least one of the named lists holds an entry.
bool anyHasItems(const QString &path, const QStringList &lists);

// An application's recent documents ("Library/Preferences/<id>.LSSharedFileList.plist"):
// offered while the list has entries, cleaned by the rewrite above, after which the
// preferences daemon must reread the file.
TraceRow recentDocumentsRow(const QString &categoryKey, const QString &relativePath);

// A shared-file-list file: moved aside, then the shared-file-list daemon must restart.
TraceRow sharedFileListRow(const QString &classification, const QString &categoryKey, const QString &relativePath);

// A download quarantine database: offered while LSQuarantineEvent has rows (counted on a
// connection of its own; a failed count ends the collector), every event deleted in place.
TraceRow quarantineEventsRow(const QString &classification, const QString &categoryKey, const QString &relativePath);

// Removes the ".lockfile" beside a preferences file just before the rewritten list goes in
// place. Only a file or a link is removed; a failure is ignored.
void removeLockFile(const QString &listPath);

} // namespace recentlists
