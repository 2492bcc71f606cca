#include "platform/PlistShape.h"

#include <cstring>
#include <utility>
#include <vector>

namespace platform::plistshape {

namespace {

quint64 readBigEndian(const uchar *p, int size)
{
    quint64 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | p[i];
    return v;
}

struct BinaryLayout {
    const uchar *bytes = nullptr;
    quint64 tableStart = 0;
    quint64 objects = 0;
    int offsetSize = 0;
    int refSize = 0;

    // Where object `ref` starts, or 0 when the table does not say.
    quint64 offsetOf(quint64 ref) const
    {
        if (ref >= objects)
            return 0;
        const quint64 at = readBigEndian(bytes + tableStart + ref * quint64(offsetSize), offsetSize);
        return at >= 8 && at < tableStart ? at : 0;
    }
};

// The references a container at `at` holds: first and count (a dictionary's keys and values
// together). False for anything that is not a container or does not fit.
bool containerRefs(const BinaryLayout &layout, quint64 at, quint64 *first, quint64 *count)
{
    const uchar marker = layout.bytes[at];
    const int type = marker >> 4;
    if (type != 0xA && type != 0xB && type != 0xC && type != 0xD)
        return false;
    quint64 n = marker & 0x0F;
    quint64 start = at + 1;
    if (n == 0x0F) {
        if (start >= layout.tableStart || (layout.bytes[start] >> 4) != 0x1)
            return false;
        const int width = 1 << (layout.bytes[start] & 0x0F);
        if (width > 8 || start + 1 + quint64(width) > layout.tableStart)
            return false;
        n = readBigEndian(layout.bytes + start + 1, width);
        start += 1 + quint64(width);
    }
    const quint64 refs = type == 0xD ? n * 2 : n;
    if (n > layout.tableStart || refs > (layout.tableStart - start) / quint64(layout.refSize))
        return false;
    *first = start;
    *count = refs;
    return true;
}

} // namespace

// libplist aborts the process when it hands out a dictionary key holding a NUL byte, so
// binary lists whose strings hold one are turned away before they are parsed. Anything else
// odd about the layout is left for the parser to judge.
bool binaryHasStringWithNul(const QByteArray &data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.constData());
    const quint64 size = quint64(data.size());
    if (size < 8 + 32)
        return false;
    const uchar *trailer = bytes + size - 32;
    const int offsetSize = trailer[6];
    const quint64 objects = readBigEndian(trailer + 8, 8);
    const quint64 tableStart = readBigEndian(trailer + 24, 8);
    if (offsetSize < 1 || offsetSize > 8 || tableStart >= size - 32
        || objects > (size - 32 - tableStart) / quint64(offsetSize))
        return false;
    for (quint64 i = 0; i < objects; ++i) {
        const quint64 at = readBigEndian(bytes + tableStart + i * quint64(offsetSize), offsetSize);
        if (at < 8 || at >= tableStart)
            continue;
        const int type = bytes[at] >> 4;
        if (type != 0x5 && type != 0x6 && type != 0x7)
            continue;
        quint64 count = bytes[at] & 0x0F;
        quint64 start = at + 1;
        if (count == 0x0F) {
            if (start >= tableStart || (bytes[start] >> 4) != 0x1)
                continue;
            const int width = 1 << (bytes[start] & 0x0F);
            if (width > 8 || start + 1 + quint64(width) > tableStart)
                continue;
            count = readBigEndian(bytes + start + 1, width);
            start += 1 + quint64(width);
        }
        const quint64 unit = type == 0x6 ? 2 : 1;
        if (count > (tableStart - start) / unit)
            continue;
        for (quint64 k = 0; k < count; ++k) {
            const uchar *c = bytes + start + k * unit;
            if (c[0] == 0 && (unit == 1 || c[1] == 0))
                return true;
        }
    }
    return false;
}

bool binaryWithinLimits(const QByteArray &data, int depthLimit, quint64 nodeLimit)
{
    const quint64 size = quint64(data.size());
    if (size < 8 + 32)
        return true;
    BinaryLayout layout;
    layout.bytes = reinterpret_cast<const uchar *>(data.constData());
    const uchar *trailer = layout.bytes + size - 32;
    layout.offsetSize = trailer[6];
    layout.refSize = trailer[7];
    layout.objects = readBigEndian(trailer + 8, 8);
    const quint64 top = readBigEndian(trailer + 16, 8);
    layout.tableStart = readBigEndian(trailer + 24, 8);
    if (layout.offsetSize < 1 || layout.offsetSize > 8 || layout.refSize < 1 || layout.refSize > 8
        || layout.tableStart >= size - 32
        || layout.objects > (size - 32 - layout.tableStart) / quint64(layout.offsetSize))
        return true;

    // Every use of an object is a node of the parsed tree, so shared references count each
    // time; a cycle runs into the budget.
    std::vector<std::pair<quint64, int>> pending{{top, 1}};
    quint64 nodes = 0;
    while (!pending.empty()) {
        const auto [ref, depth] = pending.back();
        pending.pop_back();
        if (++nodes + pending.size() > nodeLimit)
            return false;
        const quint64 at = layout.offsetOf(ref);
        quint64 first = 0;
        quint64 count = 0;
        if (at == 0 || !containerRefs(layout, at, &first, &count))
            continue;
        if (depth > depthLimit)
            return false;
        if (nodes + pending.size() + count > nodeLimit)
            return false;
        for (quint64 i = 0; i < count; ++i) {
            const quint64 child =
                readBigEndian(layout.bytes + first + i * quint64(layout.refSize), layout.refSize);
            pending.emplace_back(child, depth + 1);
        }
    }
    return true;
}

bool xmlWithinLimits(const QByteArray &text, int depthLimit)
{
    const char *p = text.constData();
    const char *end = p + text.size();
    int depth = 0;
    while ((p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p))))) {
        ++p;
        const bool closing = p < end && *p == '/';
        const char *name = closing ? p + 1 : p;
        qsizetype length = 0;
        if (end - name >= 4 && std::memcmp(name, "dict", 4) == 0)
            length = 4;
        else if (end - name >= 5 && std::memcmp(name, "array", 5) == 0)
            length = 5;
        if (length == 0)
            continue;
        const char *after = name + length;
        if (after < end && *after != '>' && *after != '/' && *after != ' ' && *after != '\t'
            && *after != '\r' && *after != '\n')
            continue; // another element whose name only begins alike
        if (closing) {
            --depth;
            continue;
        }
        const char *close = static_cast<const char *>(std::memchr(after, '>', size_t(end - after)));
        if (close && close[-1] == '/')
            continue; // <dict/>: opens and closes at once
        if (++depth > depthLimit)
            return false;
    }
    return true;
}

} // namespace platform::plistshape
