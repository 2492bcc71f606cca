#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

// What the Finder and Launch Services keep for the user: the recent-items list and the
// shared-file-list files that replaced it, the download quarantine history and the Finder's
// recent folders; its switches and its 12 rows, in offer order.
namespace finder {

inline constexpr auto identifier = "com.apple.Finder";
inline constexpr auto scanKey = "scanFinder";
inline constexpr auto displayName = "Finder";

inline const QString recentItemsList = QStringLiteral("Library/Preferences/com.apple.recentitems.plist");
inline const QString finderList = QStringLiteral("Library/Preferences/com.apple.finder.plist");
inline const QString recentFoldersKey = QStringLiteral("FXRecentFolders");
// The three lists of the recent-items list that the row stands for.
inline const QStringList recentLists = {QStringLiteral("RecentApplications"),
                                        QStringLiteral("RecentDocuments"),
                                        QStringLiteral("RecentServers")};

QList<Category> categories();
// The table as data; the recent-items and recent-folders rows are finished by the controller,
// which offers and cleans them itself: it finds them at these places.
inline constexpr int recentItemsRow = 0;
inline constexpr int recentFoldersRow = 11;
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace finder
