#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

// What OmniWeb 5 leaves in a home folder: its switches and its 8 rows, in offer order.
namespace omniweb {

inline constexpr auto identifier = "com.omnigroup.OmniWeb5";
inline constexpr auto scanKey = "scanOmniWeb";
inline constexpr auto displayName = "OmniWeb";

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace omniweb
