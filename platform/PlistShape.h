#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// Cheap checks of a property list's shape, made before the bytes reach libplist, whose
// readers recurse once per level and copy every shared reference: a hostile list would
// overflow the stack or expand without end.
namespace platform::plistshape {

// Nesting deeper than this, in any reader or walk of ours, marks the list as damaged.
constexpr int maxDepth = 512;
// Nodes a list may expand to (a binary list's shared references counted each time they are
// used, an XML list's elements counted as written).
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
// A binary string value holding a UTF-16 surrogate without its partner, which libplist's
// reader drops. `kept` encodes the surrogate as if it were a character (libplist's writer
// turns that back into the same code unit); `dropped` is what the reader gives instead.
// `position` counts the string values (not dictionary keys) met walking the tree depth
// first, children in order.
struct LoneSurrogateString {
    quint64 position = 0;
    QByteArray kept;
    QByteArray dropped;
};
// Every such string of a binary list within the budgets; `inKey` is set when a dictionary
// key holds one, which cannot be kept.
std::vector<LoneSurrogateString> binaryStringsWithLoneSurrogates(const QByteArray &data,
                                                                 bool *inKey);
// An XML list, read with the reader's own rules for what is markup: false when <dict> and
// <array> elements nest deeper than `depthLimit`, when there are more elements than
// `nodeLimit`, or when a comment, declaration or quoted run never ends.
bool xmlWithinLimits(const QByteArray &text, int depthLimit = maxDepth,
                     quint64 nodeLimit = maxNodes);

} // namespace platform::plistshape
