#include "platform/plist/PlistBinaryEncoder.h"

#include <QHashFunctions>

#include <cstring>

namespace platform {

namespace {

int bytesFor(quint64 value)
{
    int bytes = 1;
    while (bytes < 8 && (value >> (8 * bytes)) != 0)
        ++bytes;
    return bytes;
}

// 1, 2, 4 or 8: the widths an integer object comes in.
int powerOfTwoBytesFor(quint64 value)
{
    const int bytes = bytesFor(value);
    return bytes <= 1 ? 1 : bytes <= 2 ? 2 : bytes <= 4 ? 4 : 8;
}

int log2Of(int bytes)
{
    return bytes == 1 ? 0 : bytes == 2 ? 1 : bytes == 4 ? 2 : 3;
}

// The next code point of well-formed UTF-8, a lone surrogate's three bytes among them; -1
// for anything else.
qint64 nextCodePoint(const uchar *s, quint64 length, quint64 *at)
{
    const uchar lead = s[*at];
    int extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        *at += 1;
        return lead;
    }
    if (lead >= 0xC2 && lead < 0xE0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead < 0xF0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead < 0xF5) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        return -1;
    }
    if (length - *at <= quint64(extra))
        return -1;
    for (int i = 1; i <= extra; ++i) {
        const uchar c = s[*at + quint64(i)];
        if ((c & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (cp < smallest[extra] || cp > 0x10FFFF)
        return -1;
    *at += quint64(extra) + 1;
    return cp;
}

} // namespace

size_t PlistBinaryEncoder::Hash::operator()(quint64 ref) const
{
    const QByteArrayView bytes = owner->objectBytes(ref);
    return qHashBits(bytes.data(), size_t(bytes.size()));
}

bool PlistBinaryEncoder::Equal::operator()(quint64 a, quint64 b) const
{
    return owner->objectBytes(a) == owner->objectBytes(b);
}

PlistBinaryEncoder::PlistBinaryEncoder(int refBytes, Sharing sharing)
    : m_refBytes(refBytes)
    , m_sharing(sharing)
    , m_out("bplist00")
    , m_leaves(0, Hash{this}, Equal{this})
{}

int PlistBinaryEncoder::refBytesFor(quint64 objects)
{
    return bytesFor(objects > 0 ? objects - 1 : 0);
}

QByteArrayView PlistBinaryEncoder::objectBytes(quint64 ref) const
{
    const quint64 start = m_offsets[ref];
    const quint64 end = ref + 1 < m_offsets.size() ? m_offsets[ref + 1] : quint64(m_out.size());
    return QByteArrayView(m_out.constData() + start, qsizetype(end - start));
}

void PlistBinaryEncoder::begin()
{
    m_offsets.push_back(quint64(m_out.size()));
}

// The leaf just laid out, or the equal one before it.
quint64 PlistBinaryEncoder::endLeaf()
{
    const quint64 ref = m_offsets.size() - 1;
    if (m_sharing == Sharing::None)
        return ref;
    const auto [it, inserted] = m_leaves.insert(ref);
    if (inserted)
        return ref;
    m_out.truncate(qsizetype(m_offsets.back()));
    m_offsets.pop_back();
    return *it;
}

void PlistBinaryEncoder::appendBigEndian(quint64 value, int bytes)
{
    for (int i = bytes - 1; i >= 0; --i)
        m_out.append(char((value >> (8 * i)) & 0xFF));
}

void PlistBinaryEncoder::appendMarker(int type, quint64 count)
{
    if (count < 15) {
        m_out.append(char((type << 4) | int(count)));
        return;
    }
    m_out.append(char((type << 4) | 0x0F));
    const int bytes = powerOfTwoBytesFor(count);
    m_out.append(char(0x10 | log2Of(bytes)));
    appendBigEndian(count, bytes);
}

quint64 PlistBinaryEncoder::boolean(bool value)
{
    begin();
    m_out.append(value ? '\x09' : '\x08');
    return endLeaf();
}

quint64 PlistBinaryEncoder::integer(quint64 raw, bool largeUnsigned)
{
    begin();
    if (largeUnsigned) {
        m_out.append('\x14');
        appendBigEndian(0, 8);
        appendBigEndian(raw, 8);
    } else if (qint64(raw) < 0) {
        m_out.append('\x13');
        appendBigEndian(raw, 8);
    } else {
        const int bytes = powerOfTwoBytesFor(raw);
        m_out.append(char(0x10 | log2Of(bytes)));
        appendBigEndian(raw, bytes);
    }
    return endLeaf();
}

quint64 PlistBinaryEncoder::real(double value, bool narrow)
{
    begin();
    const float f = float(value);
    const double back = double(f);
    if (narrow && std::memcmp(&back, &value, sizeof value) == 0) {
        quint32 bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        m_out.append('\x22');
        appendBigEndian(bits, 4);
    } else {
        quint64 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        m_out.append('\x23');
        appendBigEndian(bits, 8);
    }
    return endLeaf();
}

quint64 PlistBinaryEncoder::date(double secondsSince2001)
{
    begin();
    quint64 bits = 0;
    std::memcpy(&bits, &secondsSince2001, sizeof bits);
    m_out.append('\x33');
    appendBigEndian(bits, 8);
    return endLeaf();
}

quint64 PlistBinaryEncoder::data(const char *bytes, quint64 length)
{
    begin();
    appendMarker(0x4, length);
    m_out.append(bytes, qsizetype(length));
    return endLeaf();
}

std::optional<quint64> PlistBinaryEncoder::string(const char *utf8, quint64 length)
{
    const auto *s = reinterpret_cast<const uchar *>(utf8);
    quint64 units = 0;
    bool ascii = true;
    for (quint64 at = 0; at < length;) {
        const qint64 cp = nextCodePoint(s, length, &at);
        if (cp < 0)
            return std::nullopt;
        ascii = ascii && cp < 0x80;
        units += cp >= 0x10000 ? 2 : 1;
    }
    if (ascii)
        return rawString(utf8, length);
    begin();
    appendMarker(0x6, units);
    for (quint64 at = 0; at < length;) {
        const quint64 cp = quint64(nextCodePoint(s, length, &at));
        if (cp >= 0x10000) {
            appendBigEndian(0xD800 + ((cp - 0x10000) >> 10), 2);
            appendBigEndian(0xDC00 + ((cp - 0x10000) & 0x3FF), 2);
        } else {
            appendBigEndian(cp, 2);
        }
    }
    return endLeaf();
}

quint64 PlistBinaryEncoder::rawString(const char *utf8, quint64 length)
{
    begin();
    appendMarker(0x5, length);
    m_out.append(utf8, qsizetype(length));
    return endLeaf();
}

quint64 PlistBinaryEncoder::uid(quint64 value)
{
    begin();
    const int bytes = powerOfTwoBytesFor(value);
    m_out.append(char(0x80 | (bytes - 1)));
    appendBigEndian(value, bytes);
    return endLeaf();
}

quint64 PlistBinaryEncoder::container(bool dictionary, const std::vector<quint64> &refs)
{
    begin();
    appendMarker(dictionary ? 0xD : 0xA, dictionary ? refs.size() / 2 : refs.size());
    for (const quint64 ref : refs)
        appendBigEndian(ref, m_refBytes);
    return m_offsets.size() - 1;
}

QByteArray PlistBinaryEncoder::finish(quint64 top)
{
    m_leaves.clear();
    const quint64 table = quint64(m_out.size());
    const quint64 count = m_offsets.size();
    const int offsetBytes = bytesFor(table);
    m_out.reserve(m_out.size() + qsizetype(m_offsets.size()) * offsetBytes + 32);
    for (const quint64 offset : m_offsets)
        appendBigEndian(offset, offsetBytes);
    std::vector<quint64>().swap(m_offsets);
    m_out.append(QByteArray(6, '\0'));
    m_out.append(char(offsetBytes));
    m_out.append(char(m_refBytes));
    appendBigEndian(count, 8);
    appendBigEndian(top, 8);
    appendBigEndian(table, 8);
    return std::move(m_out);
}

} // namespace platform
