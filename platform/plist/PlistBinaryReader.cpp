#include "platform/plist/PlistBinaryReader.h"

#include "platform/files/PathEncoding.h"
#include "platform/plist/PlistTreeBuilder.h"

#include <cstring>
#include <limits>
#include <vector>

namespace platform::plistbinary {

namespace {

quint64 readBigEndian(const uchar *p, int size)
{
    quint64 v = 0;
    for (int i = 0; i < size; ++i)
        v = (v << 8) | p[i];
    return v;
}

class Reader
{
public:
    explicit Reader(const QByteArray &data)
        : m_bytes(reinterpret_cast<const uchar *>(data.constData()))
        , m_size(quint64(data.size()))
    {}

    plist_t read()
    {
        if (!readTrailer())
            return nullptr;
        m_onPath.assign(m_objects, false);
        if (!value(m_top))
            return nullptr;
        while (!m_frames.empty()) {
            const size_t f = m_frames.size() - 1;
            if (m_frames[f].next == m_frames[f].count) {
                m_onPath[m_frames[f].ref] = false;
                m_frames.pop_back();
                if (!m_tree.close())
                    return nullptr;
                continue;
            }
            const Frame frame = m_frames[f];
            ++m_frames[f].next;
            if (frame.dictionary && !key(reference(frame.first, frame.next)))
                return nullptr;
            const quint64 index = frame.dictionary ? frame.count + frame.next : frame.next;
            const quint64 child = reference(frame.first, index);
            if (!value(child))
                return nullptr;
        }
        return m_tree.take();
    }

private:
    struct Frame
    {
        quint64 ref;
        quint64 first; // where its references start
        quint64 count; // entries (a dictionary's keys, then as many values)
        quint64 next;
        bool dictionary;
    };

    bool readTrailer()
    {
        if (m_size < 8 + 1 + 32)
            return false;
        const uchar *trailer = m_bytes + m_size - 32;
        m_offsetSize = trailer[6];
        m_refSize = trailer[7];
        m_objects = readBigEndian(trailer + 8, 8);
        m_top = readBigEndian(trailer + 16, 8);
        m_tableStart = readBigEndian(trailer + 24, 8);
        return m_offsetSize >= 1 && m_offsetSize <= 8 && m_refSize >= 1 && m_refSize <= 8 && m_tableStart > 8
            && m_tableStart < m_size - 32 && m_objects > 0
            && m_objects <= (m_size - 32 - m_tableStart) / quint64(m_offsetSize) && m_top < m_objects;
    }

    // Where object `ref` starts; false when the table does not say.
    bool offsetOf(quint64 ref, quint64 *at) const
    {
        if (ref >= m_objects)
            return false;
        *at = readBigEndian(m_bytes + m_tableStart + ref * quint64(m_offsetSize), m_offsetSize);
        return *at >= 8 && *at < m_tableStart;
    }

    // The `index`-th reference of a container whose references start at `first` (checked to
    // lie inside the object area when the container was opened).
    quint64 reference(quint64 first, quint64 index) const
    {
        return readBigEndian(m_bytes + first + index * quint64(m_refSize), m_refSize);
    }

    // The count in a marker's low nibble, or the integer object after it; `*pos` moves past.
    bool count(quint64 at, quint64 *pos, quint64 *n) const
    {
        *pos = at + 1;
        *n = m_bytes[at] & 0x0F;
        if (*n != 0x0F)
            return true;
        if (*pos >= m_tableStart || (m_bytes[*pos] >> 4) != 0x1 || (m_bytes[*pos] & 0x0F) > 3)
            return false;
        const int width = 1 << (m_bytes[*pos] & 0x0F);
        if (*pos + 1 + quint64(width) > m_tableStart)
            return false;
        *n = readBigEndian(m_bytes + *pos + 1, width);
        *pos += 1 + quint64(width);
        return true;
    }

    // `n` units of `unit` bytes from `pos` lie inside the object area.
    bool fits(quint64 pos, quint64 n, quint64 unit) const
    {
        return pos <= m_tableStart && n <= (m_tableStart - pos) / unit;
    }

    // A string object as UTF-8; false for anything else, a NUL, or (with `strict`) half a
    // surrogate pair. A lone surrogate is kept as if it were a character, which libplist's
    // writer turns back into the same code unit.
    bool stringAt(quint64 at, bool strict, QByteArray *out) const
    {
        const int type = m_bytes[at] >> 4;
        quint64 pos = 0, n = 0;
        if ((type != 0x5 && type != 0x6) || !count(at, &pos, &n) || !fits(pos, n, type == 0x6 ? 2 : 1))
            return false;
        if (n > plistlimits::maxExpandedBytes)
            return false;
        if (type == 0x5) {
            const char *s = reinterpret_cast<const char *>(m_bytes + pos);
            for (quint64 i = 0; i < n; ++i) {
                if (s[i] == 0 || uchar(s[i]) >= 0x80)
                    return false;
            }
            *out = QByteArray(s, qsizetype(n));
            return true;
        }
        out->clear();
        out->reserve(qsizetype(n));
        for (quint64 i = 0; i < n; ++i) {
            const char32_t u = char32_t(readBigEndian(m_bytes + pos + 2 * i, 2));
            const char32_t next = i + 1 < n ? char32_t(readBigEndian(m_bytes + pos + 2 * i + 2, 2)) : 0;
            if (u == 0)
                return false;
            if (u >= 0xD800 && u < 0xDC00 && next >= 0xDC00 && next < 0xE000) {
                appendUtf8(*out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
                ++i;
            } else if (u >= 0xD800 && u < 0xE000 && strict) {
                return false;
            } else {
                appendUtf8(*out, u);
            }
        }
        return true;
    }

    bool key(quint64 ref)
    {
        quint64 at = 0;
        QByteArray text;
        return offsetOf(ref, &at) && stringAt(at, true, &text) && m_tree.key(text);
    }

    // Builds the object `ref`: a leaf whole, a container opened for the loop to fill.
    bool value(quint64 ref)
    {
        quint64 at = 0;
        if (!offsetOf(ref, &at))
            return false;
        const uchar marker = m_bytes[at];
        const int type = marker >> 4;
        const int info = marker & 0x0F;
        switch (type) {
        case 0x0:
            if (marker != 0x08 && marker != 0x09)
                return false;
            return m_tree.boolean(marker == 0x09);
        case 0x1:
            return integer(at, info);
        case 0x2:
            return real(at, info);
        case 0x3: {
            if (info != 3 || at + 9 > m_tableStart)
                return false;
            const quint64 bits = readBigEndian(m_bytes + at + 1, 8);
            double d = 0;
            std::memcpy(&d, &bits, sizeof d);
            return m_tree.date(d);
        }
        case 0x4: {
            quint64 pos = 0, n = 0;
            return count(at, &pos, &n) && fits(pos, n, 1)
                && m_tree.data(reinterpret_cast<const char *>(m_bytes + pos), n);
        }
        case 0x5:
        case 0x6: {
            QByteArray text;
            return stringAt(at, false, &text) && m_tree.string(text);
        }
        case 0x8:
            if (info > 7 || at + 2 + quint64(info) > m_tableStart)
                return false;
            return m_tree.uid(readBigEndian(m_bytes + at + 1, info + 1));
        case 0xA:
        case 0xD: {
            const bool dictionary = type == 0xD;
            quint64 pos = 0, n = 0;
            if (!count(at, &pos, &n) || !fits(pos, n, quint64(m_refSize) * (dictionary ? 2 : 1)))
                return false;
            // A container among its own holders would expand without end.
            if (m_onPath[ref])
                return false;
            if (!(dictionary ? m_tree.openDictionary() : m_tree.openArray()))
                return false;
            m_onPath[ref] = true;
            m_frames.push_back(Frame{ref, pos, n, 0, dictionary});
            return true;
        }
        default:
            return false; // sets, nulls and markers no writer uses
        }
    }

    bool integer(quint64 at, int info)
    {
        if (info > 4)
            return false;
        const int width = 1 << info;
        if (at + 1 + quint64(width) > m_tableStart)
            return false;
        if (width < 16)
            return m_tree.integer(readBigEndian(m_bytes + at + 1, width), false);
        // Sixteen bytes hold an unsigned value above the signed range; more is not kept.
        if (readBigEndian(m_bytes + at + 1, 8) != 0)
            return false;
        const quint64 v = readBigEndian(m_bytes + at + 9, 8);
        return m_tree.integer(v, v > quint64(std::numeric_limits<qint64>::max()));
    }

    bool real(quint64 at, int info)
    {
        if ((info != 2 && info != 3) || at + 1 + (quint64(1) << info) > m_tableStart)
            return false;
        if (info == 2) {
            const quint32 bits = quint32(readBigEndian(m_bytes + at + 1, 4));
            float f = 0;
            std::memcpy(&f, &bits, sizeof f);
            return m_tree.real(double(f));
        }
        const quint64 bits = readBigEndian(m_bytes + at + 1, 8);
        double d = 0;
        std::memcpy(&d, &bits, sizeof d);
        return m_tree.real(d);
    }

    const uchar *m_bytes;
    quint64 m_size;
    int m_offsetSize = 0;
    int m_refSize = 0;
    quint64 m_objects = 0;
    quint64 m_top = 0;
    quint64 m_tableStart = 0;
    std::vector<bool> m_onPath;
    std::vector<Frame> m_frames;
    PlistTreeBuilder m_tree;
};

} // namespace

plist_t read(const QByteArray &data)
{
    if (!data.startsWith("bplist00"))
        return nullptr;
    return Reader(data).read();
}

} // namespace platform::plistbinary
