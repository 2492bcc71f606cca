#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

using namespace Qt::StringLiterals;

// What the Finder and Launch Services keep for the user: the recent-items list and the
// shared-file-list files that replaced it, the download quarantine history and the Finder's
// recent folders; its switches and its 12 rows, in offer order.
namespace finder {

inline constexpr auto identifier = "com.apple.Finder";
inline constexpr auto scanKey = "scanFinder";
inline constexpr auto displayName = "Finder";

inline const QString recentItemsList = u"Library/Preferences/com.apple.recentitems.plist"_s;
inline const QString finderList = u"Library/Preferences/com.apple.finder.plist"_s;
inline const QString recentFoldersKey = u"FXRecentFolders"_s;
// The three lists of the recent-items list that the row stands for.
inline const QStringList recentLists = {u"RecentApplications"_s, u"RecentDocuments"_s, u"RecentServers"_s};

QList<Category> categories();
// The table as data; the recent-items and recent-folders rows are finished by the controller,
// which offers and cleans them itself: it finds them at these places.
inline constexpr int recentItemsRow = 0;
inline constexpr int recentFoldersRow = 11;
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace finder
