#pragma once

#include <QByteArray>
#include <QtGlobal>

// Cheap checks of a property list's shape, made before the bytes reach libplist, whose
// readers recurse once per level and copy every shared reference: a hostile list would
// overflow the stack or expand without end.
namespace platform::plistshape {

// Nesting deeper than this, in any reader or walk of ours, marks the list as damaged.
constexpr int maxDepth = 512;
// Nodes a binary list may expand to, shared references counted each time they are used.
constexpr quint64 maxNodes = quint64(1) << 22;
// Files above this size are not read as property lists at all.
constexpr qint64 maxFileBytes = qint64(64) << 20;

// A binary list ("bplist00"): walks the object references from the top object with an
// explicit stack. False when a container lies deeper than `depthLimit` or the expansion
// passes `nodeLimit`; a layout it cannot follow is left for the parser to judge.
bool binaryWithinLimits(const QByteArray &data, int depthLimit = maxDepth,
                        quint64 nodeLimit = maxNodes);
// libplist aborts on a dictionary key holding a NUL byte: true when a binary list's string
// holds one.
bool binaryHasStringWithNul(const QByteArray &data);
// An XML list: false when <dict> and <array> elements nest deeper than `depthLimit`.
bool xmlWithinLimits(const QByteArray &text, int depthLimit = maxDepth);

} // namespace platform::plistshape
