#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

// What Shiira leaves in a home folder: its switches and its 7 rows, in offer order.
namespace shiira {

inline constexpr auto identifier = "jp.hmdt.shiira";
inline constexpr auto scanKey = "scanShiira";
inline constexpr auto displayName = "Shiira";

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace shiira
