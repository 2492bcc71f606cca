#pragma once

#include <QByteArray>

typedef void *plist_t;

// What libplist's readers drop and its XML writer gets wrong, put right around them so that a
// list read and written back keeps every value.
namespace platform::plistrepair {

// XML has no UID element; writers store one as a dictionary holding only "CF$UID". Turn those
// back into UIDs so an XML round trip keeps them.
void restoreUids(plist_t node, int depth = 0);

// Puts back the lone surrogates libplist's binary reader dropped; false when the strings
// found in the file and in the tree do not line up, or a key held one.
bool restoreLoneSurrogates(plist_t root, const QByteArray &data);

// libplist writes years before 1000 without their leading zeros and -0.0 as 0.0; stricter
// readers refuse the one and the other is a changed value. Mends its XML text in place.
void mendXmlText(plist_t root, QByteArray &xml);

} // namespace platform::plistrepair
