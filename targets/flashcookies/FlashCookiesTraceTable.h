#pragma once

#include "core/Keys.h"
#include "targets/base/TraceTable.h"

#include <QList>

// The Flash Player's local shared objects and per-site settings: its switches and 2 rows.
namespace flashcookies {

// No application stands behind the module: the identifier is a name of our own.
inline constexpr auto identifier = keys::FlashCookiesId;
inline constexpr auto scanKey = "scanFlashCookies";
inline constexpr auto displayName = "Flash Cookies";
// The module counts as installed while this folder (below the home folder) exists.
inline constexpr auto playerFolder = "Library/Preferences/Macromedia/Flash Player";

QList<Category> categories();
QList<TraceRow> traceRows();
PaneSwitches paneSwitches();

} // namespace flashcookies
