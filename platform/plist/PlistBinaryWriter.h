#pragma once

#include <QByteArray>

#include <optional>

typedef void *plist_t;

namespace platform::plistbinary {

// Writes a tree as a binary property list in time and memory proportional to its size,
// equal leaves shared as the system's writer shares them, each value kept bit for bit (a
// real narrowed to four bytes only when a float holds it exactly). Nothing when a node
// cannot be written as it is (a string that is not UTF-8).
std::optional<QByteArray> write(plist_t root);

} // namespace platform::plistbinary
