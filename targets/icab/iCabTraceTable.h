#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

// What iCab leaves in a home folder: its switches and its 10 rows, in offer order.
namespace icab {

inline constexpr auto identifier = "de.icab.iCab";
inline constexpr auto scanKey = "scaniCab";
inline constexpr auto displayName = "iCab";

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace icab
