#pragma once

#include <QByteArray>

typedef void *plist_t;

// What libplist's XML writer gets wrong, put right after it so that a list read and written
// back keeps every value.
namespace platform::plistrepair {

// libplist writes years before 1000 without their leading zeros, -0.0 as 0.0 and control
// characters (a carriage return among them) as raw bytes; XML readers refuse the first, turn
// a raw carriage return into a line feed, and the others are changed values. Mends its XML
// text in place, writing such characters as character references.
void mendXmlText(plist_t root, QByteArray &xml);

} // namespace platform::plistrepair
