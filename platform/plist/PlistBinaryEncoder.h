#pragma once

#include <QByteArray>

#include <optional>
#include <unordered_set>
#include <vector>

namespace platform {

// Lays out the objects of a binary property list ("bplist00") one at a time, each in time
// and space proportional to its own size, and returns the reference each can be found by; a
// container takes the references of its children, which are laid out before it. Work never
// grows faster than the list.
class PlistBinaryEncoder
{
public:
    // With SharedLeaves, a leaf equal (type and bytes) to one laid out before is the same
    // object, as the system's writer shares them.
    enum class Sharing { None, SharedLeaves };

    // `refBytes` (1 to 8) must hold the reference of every object the list will have.
    PlistBinaryEncoder(int refBytes, Sharing sharing);
    PlistBinaryEncoder(const PlistBinaryEncoder &) = delete;
    PlistBinaryEncoder &operator=(const PlistBinaryEncoder &) = delete;

    // The width a reference needs in a list of `objects` objects.
    static int refBytesFor(quint64 objects);

    quint64 boolean(bool value);
    // Eight bytes as written (negative values among them), or sixteen for an unsigned value
    // above the signed range.
    quint64 integer(quint64 raw, bool largeUnsigned);
    // Four bytes when a float holds the value bit for bit and `narrow` allows it.
    quint64 real(double value, bool narrow);
    quint64 date(double secondsSince2001);
    quint64 data(const char *bytes, quint64 length);
    // ASCII as it is, anything else as UTF-16, surrogates that stand alone kept as code units;
    // nothing when the text is not UTF-8 of that kind.
    std::optional<quint64> string(const char *utf8, quint64 length);
    // The bytes under the one-byte string marker whatever they are: only for a list that goes
    // straight to libplist's reader, which keeps them as they are.
    quint64 rawString(const char *utf8, quint64 length);
    quint64 uid(quint64 value);
    // A dictionary's references are its keys, then its values in the same order.
    quint64 container(bool dictionary, const std::vector<quint64> &refs);

    quint64 objects() const { return quint64(m_offsets.size()); }
    // The whole list with `top` as its root; the encoder is spent.
    QByteArray finish(quint64 top);

private:
    struct Hash
    {
        const PlistBinaryEncoder *owner;
        size_t operator()(quint64 ref) const;
    };
    struct Equal
    {
        const PlistBinaryEncoder *owner;
        bool operator()(quint64 a, quint64 b) const;
    };
    QByteArrayView objectBytes(quint64 ref) const;
    void begin();
    quint64 endLeaf();
    void appendMarker(int type, quint64 count);
    void appendBigEndian(quint64 value, int bytes);

    int m_refBytes;
    Sharing m_sharing;
    QByteArray m_out;
    std::vector<quint64> m_offsets;
    std::unordered_set<quint64, Hash, Equal> m_leaves;
};

} // namespace platform
