#pragma once

#include "targets/base/TraceTable.h"

#include <QList>
#include <QString>

// What Firefox leaves in a home folder: its switches and its 20 rows, in offer order. Most
// rows lie in the profile folder or in the cache profile folder, both looked up at each use.
namespace firefox {

inline constexpr auto identifier = "org.mozilla.firefox";
inline constexpr auto scanKey = "scanFirefox";
inline constexpr auto displayName = "Firefox";

// The first entry of the Profiles folder whose name contains ".default"; empty when none.
QString profilePath();
// The same below Library/Caches.
QString cachePath();

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace firefox
