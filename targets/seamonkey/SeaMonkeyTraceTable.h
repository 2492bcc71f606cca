#pragma once

#include "targets/base/TraceTable.h"

#include <QList>
#include <QString>

// What SeaMonkey leaves in a home folder: its switches and its 11 rows, in offer order.
namespace seamonkey {

inline constexpr auto identifier = "org.mozilla.seamonkey";
inline constexpr auto scanKey = "scanSeaMonkey";
inline constexpr auto displayName = "SeaMonkey";

// The first entry anywhere below the Profiles folder whose extension is "default"; empty
// when none.
QString profilePath();
// The same below Library/Caches.
QString cachePath();

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace seamonkey
