#pragma once

#include <QByteArray>

typedef void *plist_t;

namespace platform::plistbinary {

// Reads a binary property list ("bplist00") without recursing, building the tree object by
// object within the limits of PlistLimits.h: an object used by several references is built
// (and counted) once for each. Nothing (a null tree) when the layout does not hold together,
// a reference loops back to a container holding it, a limit is passed, or a value cannot be
// kept exactly (a set, a null, a string holding a NUL or a key with half a surrogate pair).
plist_t read(const QByteArray &data);

} // namespace platform::plistbinary
