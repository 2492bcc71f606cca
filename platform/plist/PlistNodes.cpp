#include "platform/plist/PlistNodes.h"

#include "platform/plist/PlistLimits.h"
#include "platform/plist/PropertyList.h"

#include <QDateTime>

#include <cmath>
#include <cstring>
#include <limits>

namespace platform::plistnodes {

namespace {

// Property list dates count from 2001-01-01 00:00:00 UTC.
constexpr qint64 kReferenceDateMSecs = Q_INT64_C(978307200000);

plist_t mapToNode(const QVariantMap &map, int depth)
{
    plist_t dict = plist_new_dict();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (plist_t child = variantToNode(it.value(), depth + 1))
            plist_dict_set_item(dict, it.key().toUtf8().constData(), child);
    }
    return dict;
}

plist_t listToNode(const QVariantList &list, int depth)
{
    plist_t array = plist_new_array();
    for (const QVariant &item : list) {
        if (plist_t child = variantToNode(item, depth + 1))
            plist_array_append_item(array, child);
    }
    return array;
}

plist_t dateToNode(const QDateTime &date)
{
    const qint64 msecs = date.toMSecsSinceEpoch() - kReferenceDateMSecs;
    return newDate(double(msecs) / 1000.0);
}

// A one-object binary list holding `object`: libplist's own reader makes the node, with the
// width or precision its constructors cannot set.
plist_t nodeFromObject(const QByteArray &object)
{
    QByteArray list("bplist00");
    list.append(object);
    list.append(char(8)); // the offset table: the object starts right after the magic
    QByteArray trailer(32, '\0');
    trailer[6] = 1;
    trailer[7] = 1;
    trailer[15] = 1;
    trailer[31] = char(8 + object.size());
    list.append(trailer);
    plist_t node = nullptr;
    plist_from_bin(list.constData(), uint32_t(list.size()), &node);
    return node;
}

QByteArray bigEndian(quint64 value)
{
    QByteArray out(8, '\0');
    for (int i = 7; i >= 0; --i, value >>= 8)
        out[i] = char(value & 0xFF);
    return out;
}

} // namespace

plist_t newLargeUnsigned(quint64 value)
{
    plist_t node = nodeFromObject("\x14" + QByteArray(8, '\0') + bigEndian(value));
    return node ? node : plist_new_uint(value);
}

plist_t newDate(double secondsSince2001)
{
    quint64 bits = 0;
    std::memcpy(&bits, &secondsSince2001, sizeof bits);
    plist_t node = nodeFromObject("\x33" + bigEndian(bits));
    return node ? node : plist_new_date(0, 0);
}

// libplist keeps integers as 64 bits plus a hidden width; a value above the signed range is
// either a negative number or a large unsigned one, and only what its writer makes of the
// node tells which.
bool isLargeUnsigned(plist_t node)
{
    uint64_t raw = 0;
    plist_get_uint_val(node, &raw);
    if (raw <= static_cast<uint64_t>(std::numeric_limits<qint64>::max()))
        return false;
    char *bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &bin, &length);
    // "bplist00" and the one object: a sixteen-byte integer is the unsigned kind.
    const bool wide = bin && length > 8 && uchar(bin[8]) == 0x14;
    plist_to_bin_free(bin);
    return wide;
}

double dateSeconds(plist_t node)
{
    // Most dates are whole seconds between 1933 and 2069, which the getter's two 32-bit
    // fields hold: a date made from them that is the same bit for bit says so. Any other
    // date goes through the writer, a hundred times slower.
    int32_t sec = 0, usec = 0;
    plist_get_date_val(node, &sec, &usec);
    plist_t probe = plist_new_date(sec, usec);
    const bool exact = plist_compare_node_value(node, probe) != 0;
    plist_free(probe);
    if (exact)
        return double(sec) + double(usec) / 1000000; // as plist_new_date makes it
    char *bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &bin, &length);
    double seconds = 0;
    // "bplist00", then the object: its marker and the eight bytes of a big-endian double.
    if (bin && length >= 17 && uchar(bin[8]) == 0x33) {
        quint64 bits = 0;
        for (int i = 9; i < 17; ++i)
            bits = (bits << 8) | uchar(bin[i]);
        std::memcpy(&seconds, &bits, sizeof seconds);
    }
    plist_to_bin_free(bin);
    return seconds;
}

std::vector<std::pair<QByteArray, plist_t>> childrenOf(plist_t node)
{
    std::vector<std::pair<QByteArray, plist_t>> children;
    if (PLIST_IS_ARRAY(node)) {
        forEachArrayItem(node, [&children](plist_t child) { children.emplace_back(QByteArray(), child); });
    } else if (PLIST_IS_DICT(node)) {
        forEachDictItem(node,
                        [&children](const char *key, plist_t child) { children.emplace_back(QByteArray(key), child); });
    }
    return children;
}

bool sameLeaf(plist_t a, plist_t b)
{
    const plist_type type = plist_get_node_type(a);
    if (type != plist_get_node_type(b))
        return false;
    if (type == PLIST_STRING) {
        uint64_t la = 0, lb = 0;
        const char *sa = plist_get_string_ptr(a, &la);
        const char *sb = plist_get_string_ptr(b, &lb);
        return la == lb && (la == 0 || std::memcmp(sa, sb, size_t(la)) == 0);
    }
    if (type == PLIST_ARRAY || type == PLIST_DICT)
        return true; // their children are compared one by one
    return plist_compare_node_value(a, b) != 0;
}

plist_t variantToNode(const QVariant &value, int depth)
{
    if (depth > plistlimits::maxDepth)
        return nullptr;
    if (!value.isValid())
        return nullptr;
    if (value.metaType() == QMetaType::fromType<PlistUid>())
        return plist_new_uid(value.value<PlistUid>().value);
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
        return plist_new_uint(uint64_t(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::UChar:
    case QMetaType::ULongLong: {
        const quint64 v = value.toULongLong();
        if (v > quint64(std::numeric_limits<qint64>::max()))
            return newLargeUnsigned(v);
        return plist_new_uint(v);
    }
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    case QMetaType::QString:
        return plist_new_string(value.toString().toUtf8().constData());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    case QMetaType::QDateTime:
        return dateToNode(value.toDateTime());
    case QMetaType::QVariantMap:
        return mapToNode(value.toMap(), depth);
    case QMetaType::QVariantHash: {
        QVariantMap map;
        const QVariantHash hash = value.toHash();
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            map.insert(it.key(), it.value());
        return mapToNode(map, depth);
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return listToNode(value.toList(), depth);
    default:
        break;
    }
    return nullptr;
}

QVariant nodeToVariant(plist_t node, int depth)
{
    if (!node || depth > plistlimits::maxDepth)
        return {};
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t b = 0;
        plist_get_bool_val(node, &b);
        return QVariant(b != 0);
    }
    case PLIST_UINT: {
        uint64_t raw = 0;
        plist_get_uint_val(node, &raw);
        if (isLargeUnsigned(node))
            return QVariant(quint64(raw));
        return QVariant(qint64(raw));
    }
    case PLIST_REAL: {
        double d = 0;
        plist_get_real_val(node, &d);
        return QVariant(d);
    }
    case PLIST_STRING: {
        // The pointer form, because the copying getter aborts on a string holding a NUL.
        uint64_t length = 0;
        const char *s = plist_get_string_ptr(node, &length);
        return s ? QString::fromUtf8(s, qsizetype(length)) : QString(QLatin1String(""));
    }
    case PLIST_KEY: {
        char *s = nullptr;
        plist_get_key_val(node, &s);
        QString text = keyString(s ? s : "");
        std::free(s);
        return text;
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        QByteArray data(bytes ? bytes : "", qsizetype(length));
        std::free(bytes);
        return data;
    }
    case PLIST_DATE: {
        const double msecs = std::round(dateSeconds(node) * 1000.0);
        // Beyond what a QDateTime holds (and not a number): an invalid date, never a wrong one.
        if (!(std::fabs(msecs) < 1e17))
            return QDateTime();
        return QDateTime::fromMSecsSinceEpoch(kReferenceDateMSecs + qint64(msecs), Qt::UTC);
    }
    case PLIST_UID: {
        uint64_t v = 0;
        plist_get_uid_val(node, &v);
        return QVariant::fromValue(PlistUid{v});
    }
    case PLIST_ARRAY: {
        QVariantList list;
        list.reserve(qsizetype(plist_array_get_size(node)));
        forEachArrayItem(node, [&list, depth](plist_t child) { list.append(nodeToVariant(child, depth + 1)); });
        return list;
    }
    case PLIST_DICT: {
        QVariantMap map;
        forEachDictItem(node, [&map, depth](const char *key, plist_t child) {
            map.insert(keyString(key), nodeToVariant(child, depth + 1));
        });
        return map;
    }
    default:
        return {};
    }
}

} // namespace platform::plistnodes
