#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

// What QuickTime Player leaves in a home folder: its download cache, the quarantine history
// inside its sandbox container, its recent documents and recent URLs, and its open windows;
// its switches and its 8 rows, in offer order.
namespace quicktime {

inline constexpr auto identifier = "com.apple.QuickTimePlayerX";
inline constexpr auto scanKey = "scanQuickTime";
inline constexpr auto displayName = "QuickTime";

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace quicktime
