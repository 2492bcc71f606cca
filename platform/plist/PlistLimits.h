#pragma once

#include <QtGlobal>

// The limits every reader and walk of property lists holds to. The readers that build the
// tree count as they go and give up the moment one is passed, so nothing outside them has to
// guess a list's shape.
namespace platform::plistlimits {

// Nesting deeper than this (containers; the outermost is level one) marks a list as damaged.
constexpr int maxDepth = 512;
// Nodes a list may expand to: every value and every dictionary key, a binary list's shared
// references counted each time they are used. A list at the budget (a few times the longest
// lists the applications keep) is read, rewritten by our own writers and read back in a few
// seconds and under 400 MB: libplist's tree, held twice while the rewrite is compared, sets
// the pace (bench/plist_bench).
constexpr quint64 maxNodes = quint64(1) << 20;
// Files above this size are not read as property lists at all.
constexpr qint64 maxFileBytes = qint64(64) << 20;
// Bytes of strings, keys and data a list may expand to, each counted at every reference.
constexpr quint64 maxExpandedBytes = quint64(maxFileBytes);

// What a reader has built so far; false from a step that passes a limit.
class Budget
{
public:
    bool addNode() { return ++m_nodes <= maxNodes; }
    bool addBytes(quint64 bytes)
    {
        m_bytes += bytes;
        return bytes <= maxExpandedBytes && m_bytes <= maxExpandedBytes;
    }
    static bool depthAllowed(qsizetype depth) { return depth <= maxDepth; }

private:
    quint64 m_nodes = 0;
    quint64 m_bytes = 0;
};

} // namespace platform::plistlimits
