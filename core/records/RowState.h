#pragma once

#include <QString>

#include <optional>

// Where a results row stands in a cleaning run. The row shows it as its status text; the
// run decides by the state, never by the text.
enum class RowState { Waiting, Skipped, Cleaning, Cancelling, Cleaned, NotCleaned };

// The status text of a state: "- Waiting", "- Skipped", "- Cleaning", "- Cancelling",
// "- Cleaned", "- Could not clean"; cleaning and cancelling add their progress, " (40%)".
QString rowStateText(RowState state, std::optional<int> percent = std::nullopt);
// The state a status text written by hand shows (a progress suffix included); none for a
// text no state gives.
std::optional<RowState> rowStateOfText(const QString &text);
