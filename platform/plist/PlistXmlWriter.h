#pragma once

#include <QByteArray>

#include <optional>

typedef void *plist_t;

namespace platform::plistxml {

// Writes a tree as an XML property list in one pass, in time proportional to its size:
// every value in a form the reader takes back as the same value (years of any length and
// sign, -0.0, control characters as character references, UIDs as "CF$UID" dictionaries).
// Nothing when a node has no such form (a date beyond the years the reader takes).
std::optional<QByteArray> write(plist_t root);

} // namespace platform::plistxml
