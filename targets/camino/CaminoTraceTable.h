#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

// What Camino leaves in a home folder: its switches and its 8 rows, in offer order. Camino
// keeps its data in one fixed folder, not in a profile.
namespace camino {

inline constexpr auto identifier = "org.mozilla.camino";
inline constexpr auto scanKey = "scanCamino";
inline constexpr auto displayName = "Camino";

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace camino
