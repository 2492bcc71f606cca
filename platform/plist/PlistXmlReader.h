#pragma once

#include <QByteArray>

typedef void *plist_t;

namespace platform::plistxml {

// Reads an XML property list with QXmlStreamReader, building the tree from its events within
// the limits of PlistLimits.h. Nothing (a null tree) when the text is not well-formed XML, is
// not a property list, declares anything in its document type (entities above all), holds a
// value that cannot be kept exactly (an integer beyond 64 bits, a date that does not exist)
// or passes a limit.
plist_t read(const QByteArray &text);

} // namespace platform::plistxml
