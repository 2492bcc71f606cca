#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

// What Safari leaves in a home folder: its switches and its 22 rows, in offer order.
namespace safari {

inline constexpr auto identifier = "com.apple.Safari";
inline constexpr auto scanKey = "scanSafari";
inline constexpr auto displayName = "Safari";

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace safari
