#pragma once

#include "targets/base/TraceTable.h"

#include <QList>

// What Preview leaves in a home folder: its recent documents and its open windows; its one
// switch and its 4 rows, in offer order.
namespace preview {

inline constexpr auto identifier = "com.apple.Preview";
inline constexpr auto scanKey = "scanPreview";
inline constexpr auto displayName = "Preview";

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace preview
