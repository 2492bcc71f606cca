#include "platform/PlistShape.h"

#include <algorithm>
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

namespace {

// A UTF-16 string object at `at`, as its code units; false for anything else.
bool utf16Units(const BinaryLayout &layout, quint64 at, std::vector<quint16> *units)
{
    if ((layout.bytes[at] >> 4) != 0x6)
        return false;
    quint64 count = layout.bytes[at] & 0x0F;
    quint64 start = at + 1;
    if (count == 0x0F) {
        if (start >= layout.tableStart || (layout.bytes[start] >> 4) != 0x1)
            return false;
        const int width = 1 << (layout.bytes[start] & 0x0F);
        if (width > 8 || start + 1 + quint64(width) > layout.tableStart)
            return false;
        count = readBigEndian(layout.bytes + start + 1, width);
        start += 1 + quint64(width);
    }
    if (count > (layout.tableStart - start) / 2)
        return false;
    units->resize(count);
    for (quint64 i = 0; i < count; ++i)
        (*units)[i] = quint16(readBigEndian(layout.bytes + start + 2 * i, 2));
    return true;
}

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

bool hasLoneSurrogate(const std::vector<quint16> &units)
{
    for (size_t i = 0; i < units.size(); ++i) {
        if (units[i] < 0xD800 || units[i] >= 0xE000)
            continue;
        if (units[i] >= 0xDC00 || i + 1 == units.size() || units[i + 1] < 0xDC00 || units[i + 1] >= 0xE000)
            return true;
        ++i;
    }
    return false;
}

// True when the units hold a surrogate without its partner; fills both readings of them.
bool readLoneSurrogates(const std::vector<quint16> &units, QByteArray *kept, QByteArray *dropped)
{
    bool lone = false;
    for (size_t i = 0; i < units.size(); ++i) {
        const char32_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00
            && units[i + 1] < 0xE000) {
            const char32_t c = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            appendUtf8(*kept, c);
            appendUtf8(*dropped, c);
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            lone = true;
            appendUtf8(*kept, u);
        } else {
            appendUtf8(*kept, u);
            appendUtf8(*dropped, u);
        }
    }
    return lone;
}

bool layoutOf(const QByteArray &data, BinaryLayout *layout, quint64 *top)
{
    const quint64 size = quint64(data.size());
    if (size < 8 + 32)
        return false;
    layout->bytes = reinterpret_cast<const uchar *>(data.constData());
    const uchar *trailer = layout->bytes + size - 32;
    layout->offsetSize = trailer[6];
    layout->refSize = trailer[7];
    layout->objects = readBigEndian(trailer + 8, 8);
    *top = readBigEndian(trailer + 16, 8);
    layout->tableStart = readBigEndian(trailer + 24, 8);
    return layout->offsetSize >= 1 && layout->offsetSize <= 8 && layout->refSize >= 1
           && layout->refSize <= 8 && layout->tableStart < size - 32
           && layout->objects <= (size - 32 - layout->tableStart) / quint64(layout->offsetSize);
}

} // namespace

std::vector<LoneSurrogateString> binaryStringsWithLoneSurrogates(const QByteArray &data,
                                                                 bool *inKey)
{
    std::vector<LoneSurrogateString> found;
    *inKey = false;
    BinaryLayout layout;
    quint64 top = 0;
    if (!layoutOf(data, &layout, &top))
        return found;
    // Most lists have none: look at the objects first, walk the tree only when needed.
    std::vector<quint16> units;
    bool any = false;
    for (quint64 ref = 0; ref < layout.objects && !any; ++ref) {
        const quint64 at = layout.offsetOf(ref);
        any = at != 0 && utf16Units(layout, at, &units) && hasLoneSurrogate(units);
    }
    if (!any)
        return found;

    // Depth first, children in order, as the parsed tree is walked; the budget was checked.
    struct Visit {
        quint64 ref;
        bool isKey;
    };
    std::vector<Visit> pending{{top, false}};
    quint64 position = 0;
    while (!pending.empty()) {
        const Visit visit = pending.back();
        pending.pop_back();
        const quint64 at = layout.offsetOf(visit.ref);
        if (at == 0)
            continue;
        const int type = layout.bytes[at] >> 4;
        if (type == 0x5 || type == 0x6 || type == 0x7) {
            QByteArray kept, dropped;
            const bool lone = utf16Units(layout, at, &units) && readLoneSurrogates(units, &kept, &dropped);
            if (visit.isKey) {
                *inKey = *inKey || lone;
                continue;
            }
            if (lone)
                found.push_back({position, kept, dropped});
            ++position;
            continue;
        }
        quint64 first = 0;
        quint64 count = 0;
        if (!containerRefs(layout, at, &first, &count))
            continue;
        const bool dict = type == 0xD;
        for (quint64 i = count; i-- > 0;) {
            const quint64 child =
                readBigEndian(layout.bytes + first + i * quint64(layout.refSize), layout.refSize);
            pending.push_back({child, dict && i < count / 2});
        }
    }
    return found;
}

bool binaryWithinLimits(const QByteArray &data, int depthLimit, quint64 nodeLimit)
{
    BinaryLayout layout;
    quint64 top = 0;
    if (!layoutOf(data, &layout, &top))
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

namespace {

// Reads XML markup the way libplist's reader does, so that what it skips (comments,
// processing instructions, the DOCTYPE, CDATA, quoted attribute values) is skipped here too
// and text inside them is never taken for tags.
class XmlScanner
{
public:
    explicit XmlScanner(const QByteArray &text)
        : m_pos(text.constData()), m_end(text.constData() + text.size())
    {
    }

    bool atEnd() const { return m_pos >= m_end; }
    const char *pos() const { return m_pos; }
    void advance(qsizetype n) { m_pos += n; }
    bool startsWith(const char *s, qsizetype n) const
    {
        return m_end - m_pos >= n && std::memcmp(m_pos, s, size_t(n)) == 0;
    }

    // Moves to the next '<'; false at the end.
    bool toNextTag()
    {
        m_pos = static_cast<const char *>(std::memchr(m_pos, '<', size_t(m_end - m_pos)));
        if (!m_pos)
            m_pos = m_end;
        return m_pos < m_end;
    }
    // Moves past `marker`; with `quotes`, a double-quoted run is passed over whole. False
    // when the marker (or a closing quote) never comes.
    bool skipPast(const char *marker, bool quotes)
    {
        const qsizetype n = qsizetype(std::strlen(marker));
        while (m_end - m_pos >= n) {
            if (std::memcmp(m_pos, marker, size_t(n)) == 0) {
                m_pos += n;
                return true;
            }
            if (quotes && *m_pos == '"' && !skipQuoted())
                return false;
            ++m_pos;
        }
        return false;
    }
    // Moves to the first of `chars`, passing quoted runs over when asked.
    bool toFirstOf(const char *chars, bool quotes)
    {
        for (; m_pos < m_end; ++m_pos) {
            if (quotes && *m_pos == '"') {
                if (!skipQuoted())
                    return false;
                continue;
            }
            if (std::strchr(chars, *m_pos))
                return true;
        }
        return false;
    }
    void skipSpace()
    {
        while (m_pos < m_end && (*m_pos == ' ' || *m_pos == '\t' || *m_pos == '\r' || *m_pos == '\n'))
            ++m_pos;
    }

private:
    // At an opening quote: onto its closing one.
    bool skipQuoted()
    {
        const char *close =
            static_cast<const char *>(std::memchr(m_pos + 1, '"', size_t(m_end - m_pos - 1)));
        if (!close)
            return false;
        m_pos = close;
        return true;
    }

    const char *m_pos;
    const char *m_end;
};

bool isElement(const char *name, qsizetype length, const char *wanted)
{
    return qsizetype(std::strlen(wanted)) == length && std::memcmp(name, wanted, size_t(length)) == 0;
}

// Elements whose text the reader takes whole up to the next '<' (after an optional CDATA).
bool holdsText(const char *name, qsizetype length)
{
    for (const char *e : {"string", "key", "integer", "real", "date", "data"}) {
        if (isElement(name, length, e))
            return true;
    }
    return false;
}

} // namespace

bool xmlWithinLimits(const QByteArray &text, int depthLimit, quint64 nodeLimit)
{
    XmlScanner in(text);
    int depth = 0;
    quint64 nodes = 0;
    while (in.toNextTag()) {
        in.advance(1);
        if (in.startsWith("?", 1)) {
            if (!in.skipPast("?>", true))
                return false;
            continue;
        }
        if (in.startsWith("!--", 3)) {
            in.advance(3); // "<!-->" does not end the comment it opens
            if (!in.skipPast("-->", false))
                return false;
            continue;
        }
        if (in.startsWith("![CDATA[", 8)) {
            in.advance(8);
            if (!in.skipPast("]]>", false))
                return false;
            continue;
        }
        if (in.startsWith("!DOCTYPE", 8)) {
            in.advance(8);
            if (!in.toFirstOf("[>", true))
                return false;
            if (!in.skipPast(*in.pos() == '[' ? "]>" : ">", true))
                return false;
            continue;
        }
        if (in.startsWith("!", 1))
            return false; // the reader stops at any other declaration

        const char *name = in.pos();
        if (!in.toFirstOf(" \t\r\n<>", false))
            return false;
        qsizetype length = in.pos() - name;
        if (*in.pos() != '>' && !in.toFirstOf("<>", true))
            return false;
        if (*in.pos() != '>')
            return false; // a tag without its '>': the reader stops there
        const bool empty = in.pos()[-1] == '/';
        if (empty && length > 0 && name[length - 1] == '/')
            --length;
        in.advance(1);
        if (length > 0 && name[0] == '/') {
            // Closing tags outside any skipped run are the reader's too.
            if (isElement(name + 1, length - 1, "dict") || isElement(name + 1, length - 1, "array")
                || isElement(name + 1, length - 1, "plist"))
                depth = std::max(depth - 1, 0);
            continue;
        }
        if (!isElement(name, length, "plist") && ++nodes > nodeLimit)
            return false;
        if (empty)
            continue;
        if (isElement(name, length, "dict") || isElement(name, length, "array")
            || isElement(name, length, "plist")) {
            if (++depth > depthLimit + 1) // the <plist> element is not a level of the list
                return false;
            continue;
        }
        if (holdsText(name, length)) {
            in.skipSpace();
            if (in.startsWith("<![CDATA[", 9)) {
                in.advance(9);
                if (!in.skipPast("]]>", false))
                    return false;
            }
        } else if (!in.toFirstOf("<", true)) {
            return false; // <true>, <false>: the reader quotes past a '<' in their content
        }
    }
    return true;
}

} // namespace platform::plistshape
