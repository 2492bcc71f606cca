#include "platform/PropertyList.h"

#include "platform/FileManager.h"
#include "platform/PlistShape.h"

#include <QDateTime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <plist/plist.h>

#include <cerrno>
#include <cctype>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace platform {

namespace {

// Property list dates count from 2001-01-01 00:00:00 UTC.
constexpr qint64 kReferenceDateMSecs = Q_INT64_C(978307200000);
const QByteArray kUidKey = QByteArrayLiteral("CF$UID");

QString keyString(const char *key)
{
    return QString::fromUtf8(key);
}

// Calls fn(key, child) for every entry of a dictionary node, in the list's own order.
template <class Fn>
void forEachDictItem(plist_t dict, Fn fn)
{
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(dict, &it);
    for (;;) {
        char *key = nullptr;
        plist_t child = nullptr;
        plist_dict_next_item(dict, it, &key, &child);
        if (!child) {
            std::free(key);
            break;
        }
        fn(static_cast<const char *>(key), child);
        std::free(key);
    }
    std::free(it);
}

// libplist keeps integers as 64 bits plus a hidden width; a value above the signed range is
// either a negative number or a large unsigned one, and only the XML text tells which.
bool isLargeUnsigned(plist_t node)
{
    uint64_t raw = 0;
    plist_get_uint_val(node, &raw);
    if (raw <= static_cast<uint64_t>(std::numeric_limits<qint64>::max()))
        return false;
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    if (!xml)
        return false;
    const bool negative = QByteArray(xml, int(length)).contains("<integer>-");
    plist_to_xml_free(xml);
    return !negative;
}

plist_t newLargeUnsigned(quint64 value)
{
    const QByteArray xml = "<plist version=\"1.0\"><integer>" + QByteArray::number(value)
                           + "</integer></plist>";
    plist_t node = nullptr;
    plist_from_xml(xml.constData(), uint32_t(xml.size()), &node);
    return node ? node : plist_new_uint(value);
}

plist_t variantToNode(const QVariant &value, int depth = 0);

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
    qint64 secs = msecs / 1000;
    qint64 rest = msecs % 1000;
    if (rest < 0) {
        --secs;
        rest += 1000;
    }
    return plist_new_date(int32_t(secs), int32_t(rest * 1000));
}

// Nothing for values a property list cannot hold (an invalid QVariant among them).
plist_t variantToNode(const QVariant &value, int depth)
{
    if (depth > plistshape::maxDepth)
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

QVariant nodeToVariant(plist_t node, int depth = 0)
{
    if (!node || depth > plistshape::maxDepth)
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
        int32_t sec = 0, usec = 0;
        plist_get_date_val(node, &sec, &usec);
        const qint64 msecs = kReferenceDateMSecs + qint64(sec) * 1000 + usec / 1000;
        return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
    }
    case PLIST_UID: {
        uint64_t v = 0;
        plist_get_uid_val(node, &v);
        return QVariant::fromValue(PlistUid{v});
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t n = plist_array_get_size(node);
        list.reserve(int(n));
        for (uint32_t i = 0; i < n; ++i)
            list.append(nodeToVariant(plist_array_get_item(node, i), depth + 1));
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

// XML has no UID element; writers store one as a dictionary holding only "CF$UID". Turn those
// back into UIDs so an XML round trip keeps them.
void restoreUids(plist_t node, int depth = 0)
{
    if (depth > plistshape::maxDepth)
        return;
    const plist_type type = plist_get_node_type(node);
    if (type == PLIST_ARRAY) {
        const uint32_t n = plist_array_get_size(node);
        for (uint32_t i = 0; i < n; ++i) {
            plist_t child = plist_array_get_item(node, i);
            if (plist_get_node_type(child) == PLIST_DICT && plist_dict_get_size(child) == 1
                && PLIST_IS_UINT(plist_dict_get_item(child, kUidKey.constData()))) {
                uint64_t v = 0;
                plist_get_uint_val(plist_dict_get_item(child, kUidKey.constData()), &v);
                plist_array_set_item(node, plist_new_uid(v), i);
            } else {
                restoreUids(child, depth + 1);
            }
        }
    } else if (type == PLIST_DICT) {
        QList<QByteArray> uidKeys;
        forEachDictItem(node, [&uidKeys, depth](const char *key, plist_t child) {
            if (plist_get_node_type(child) == PLIST_DICT && plist_dict_get_size(child) == 1
                && PLIST_IS_UINT(plist_dict_get_item(child, kUidKey.constData())))
                uidKeys.append(QByteArray(key));
            else
                restoreUids(child, depth + 1);
        });
        for (const QByteArray &key : uidKeys) {
            uint64_t v = 0;
            plist_get_uint_val(plist_dict_get_item(plist_dict_get_item(node, key.constData()),
                                                   kUidKey.constData()),
                               &v);
            plist_dict_set_item(node, key.constData(), plist_new_uid(v));
        }
    }
}

// The children of a container in order (a dictionary's values only, with their keys).
std::vector<std::pair<QByteArray, plist_t>> childrenOf(plist_t node)
{
    std::vector<std::pair<QByteArray, plist_t>> children;
    if (PLIST_IS_ARRAY(node)) {
        const uint32_t n = plist_array_get_size(node);
        for (uint32_t i = 0; i < n; ++i)
            children.emplace_back(QByteArray(), plist_array_get_item(node, i));
    } else if (PLIST_IS_DICT(node)) {
        forEachDictItem(node, [&children](const char *key, plist_t child) {
            children.emplace_back(QByteArray(key), child);
        });
    }
    return children;
}

// Calls fn(node) for every node depth first, children in order, without recursing.
template <class Fn>
void forEachNode(plist_t root, Fn fn)
{
    std::vector<plist_t> pending{root};
    while (!pending.empty()) {
        plist_t node = pending.back();
        pending.pop_back();
        fn(node);
        const auto children = childrenOf(node);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            pending.push_back(it->second);
    }
}

// Puts back the lone surrogates libplist's binary reader dropped; false when the strings
// found in the file and in the tree do not line up, or a key held one.
bool restoreLoneSurrogates(plist_t root, const QByteArray &data)
{
    bool inKey = false;
    const auto strings = plistshape::binaryStringsWithLoneSurrogates(data, &inKey);
    if (inKey)
        return false;
    if (strings.empty())
        return true;
    quint64 position = 0;
    size_t next = 0;
    bool aligned = true;
    forEachNode(root, [&](plist_t node) {
        if (!PLIST_IS_STRING(node))
            return;
        if (next < strings.size() && strings[next].position == position) {
            uint64_t length = 0;
            const char *s = plist_get_string_ptr(node, &length);
            if (QByteArray(s, qsizetype(length)) == strings[next].dropped)
                plist_set_string_val(node, strings[next].kept.constData());
            else
                aligned = false;
            ++next;
        }
        ++position;
    });
    return aligned && next == strings.size();
}

// libplist writes years before 1000 without their leading zeros and -0.0 as 0.0; stricter
// readers refuse the one and the other is a changed value. Mends its XML text in place.
void mendXmlText(plist_t root, QByteArray &xml)
{
    const QByteArray dateTag("<date>");
    for (qsizetype at = xml.indexOf(dateTag); at >= 0; at = xml.indexOf(dateTag, at + 1)) {
        const qsizetype year = at + dateTag.size();
        qsizetype digits = 0;
        while (year + digits < xml.size() && std::isdigit(uchar(xml.at(year + digits))))
            ++digits;
        if (digits < 4 && year + digits < xml.size() && xml.at(year + digits) == '-')
            xml.insert(year, QByteArray(4 - digits, '0'));
    }
    const QByteArray zero("<real>0.0</real>");
    if (!xml.contains(zero))
        return;
    // The writer puts reals in tree order, so the n-th element is the n-th real node.
    std::vector<bool> negativeZero;
    forEachNode(root, [&negativeZero](plist_t node) {
        if (PLIST_IS_REAL(node)) {
            double d = 0;
            plist_get_real_val(node, &d);
            negativeZero.push_back(d == 0 && std::signbit(d));
        }
    });
    const QByteArray realTag("<real>");
    size_t index = 0;
    for (qsizetype at = xml.indexOf(realTag); at >= 0 && index < negativeZero.size();
         at = xml.indexOf(realTag, at + 1), ++index) {
        if (negativeZero[index] && xml.mid(at, zero.size()) == zero)
            xml.insert(at + realTag.size(), '-');
    }
}

// Same type and value, bit for bit where the type allows (a real's sign of zero, an
// integer's width, a date's fraction).
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

plist_t dictAtPath(plist_t root, const QStringList &keys, qsizetype depth)
{
    plist_t node = root;
    for (qsizetype i = 0; i < depth; ++i) {
        if (!PLIST_IS_DICT(node))
            return nullptr;
        node = plist_dict_get_item(node, keys.at(i).toUtf8().constData());
    }
    return PLIST_IS_DICT(node) ? node : nullptr;
}

} // namespace

PropertyList::PropertyList()
    : m_root(plist_new_dict())
{
}

PropertyList::PropertyList(plist_t root, Format format)
    : m_root(root), m_format(format)
{
}

PropertyList::~PropertyList()
{
    if (m_root)
        plist_free(m_root);
}

PropertyList::PropertyList(const PropertyList &other)
    : m_root(other.m_root ? plist_copy(other.m_root) : nullptr), m_format(other.m_format)
{
}

PropertyList &PropertyList::operator=(const PropertyList &other)
{
    if (this != &other) {
        plist_t copy = other.m_root ? plist_copy(other.m_root) : nullptr;
        if (m_root)
            plist_free(m_root);
        m_root = copy;
        m_format = other.m_format;
    }
    return *this;
}

PropertyList::PropertyList(PropertyList &&other) noexcept
    : m_root(other.m_root), m_format(other.m_format)
{
    other.m_root = nullptr;
}

PropertyList &PropertyList::operator=(PropertyList &&other) noexcept
{
    if (this != &other) {
        if (m_root)
            plist_free(m_root);
        m_root = other.m_root;
        m_format = other.m_format;
        other.m_root = nullptr;
    }
    return *this;
}

std::optional<PropertyList> PropertyList::fromData(const QByteArray &data)
{
    if (data.isEmpty() || data.size() > plistshape::maxFileBytes)
        return std::nullopt;
    plist_t root = nullptr;
    Format format = Format::Xml;
    if (data.startsWith("bplist00")) {
        format = Format::Binary;
        if (!plistshape::binaryWithinLimits(data) || plistshape::binaryHasStringWithNul(data))
            return std::nullopt;
        plist_from_bin(data.constData(), uint32_t(data.size()), &root);
        if (root && !restoreLoneSurrogates(root, data)) {
            plist_free(root);
            return std::nullopt;
        }
    } else {
        // Only text that looks like XML goes to the XML reader.
        QByteArray text = data;
        if (text.startsWith("\xEF\xBB\xBF"))
            text.remove(0, 3);
        if (!text.left(256).trimmed().startsWith('<') || !plistshape::xmlWithinLimits(text))
            return std::nullopt;
        plist_from_xml(text.constData(), uint32_t(text.size()), &root);
        if (root)
            restoreUids(root);
    }
    if (!root)
        return std::nullopt;
    return PropertyList(root, format);
}

std::optional<PropertyList> PropertyList::fromFile(const QString &path)
{
    return fromFile(path, nullptr);
}

std::optional<PropertyList> PropertyList::fromFile(const QString &path, ReadFailure *failure)
{
    ReadFailure ignored;
    ReadFailure &why = failure ? *failure : ignored;
    const std::optional<RegularFile> file =
        FileManager::defaultManager().readRegularFile(path, plistshape::maxFileBytes, true, &why);
    if (!file)
        return std::nullopt;
    std::optional<PropertyList> list = fromData(file->data);
    if (!list)
        why = file->data.size() > plistshape::maxFileBytes ? ReadFailure::TooLarge
                                                           : ReadFailure::Malformed;
    return list;
}

PropertyList PropertyList::fromVariant(const QVariant &value, Format format)
{
    plist_t root = variantToNode(value);
    return PropertyList(root ? root : plist_new_dict(), format);
}

PropertyList::Format PropertyList::format() const
{
    return m_format;
}

void PropertyList::setFormat(Format format)
{
    m_format = format;
}

QVariant PropertyList::toVariant() const
{
    return nodeToVariant(m_root);
}

std::optional<QByteArray> PropertyList::toData() const
{
    return toData(m_format);
}

std::optional<QByteArray> PropertyList::toData(Format format) const
{
    if (!m_root)
        return std::nullopt;
    char *bytes = nullptr;
    uint32_t length = 0;
    if (format == Format::Binary)
        plist_to_bin(m_root, &bytes, &length);
    else
        plist_to_xml(m_root, &bytes, &length);
    if (!bytes || length == 0) {
        std::free(bytes);
        return std::nullopt;
    }
    QByteArray out(bytes, qsizetype(length));
    if (format == Format::Binary) {
        plist_to_bin_free(bytes);
    } else {
        plist_to_xml_free(bytes);
        mendXmlText(m_root, out);
    }
    return out;
}

bool PropertyList::isIdenticalTo(const PropertyList &other) const
{
    if (!m_root || !other.m_root)
        return m_root == other.m_root;
    std::vector<std::pair<plist_t, plist_t>> pending{{m_root, other.m_root}};
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        if (!sameLeaf(a, b))
            return false;
        const auto left = childrenOf(a);
        const auto right = childrenOf(b);
        if (left.size() != right.size())
            return false;
        for (size_t i = 0; i < left.size(); ++i) {
            if (left[i].first != right[i].first)
                return false;
            pending.emplace_back(left[i].second, right[i].second);
        }
    }
    return true;
}

bool PropertyList::isDictionary() const
{
    return PLIST_IS_DICT(m_root);
}

bool PropertyList::isArray() const
{
    return PLIST_IS_ARRAY(m_root);
}

bool PropertyList::contains(const QString &key) const
{
    return PLIST_IS_DICT(m_root) && plist_dict_get_item(m_root, key.toUtf8().constData());
}

QVariant PropertyList::value(const QString &key) const
{
    if (!PLIST_IS_DICT(m_root))
        return {};
    return nodeToVariant(plist_dict_get_item(m_root, key.toUtf8().constData()));
}

QVariant PropertyList::valueForKeyPath(const QStringList &keys) const
{
    if (keys.isEmpty())
        return {};
    plist_t parent = dictAtPath(m_root, keys, keys.size() - 1);
    if (!parent)
        return {};
    return nodeToVariant(plist_dict_get_item(parent, keys.last().toUtf8().constData()));
}

QStringList PropertyList::keys() const
{
    QStringList result;
    if (!PLIST_IS_DICT(m_root))
        return result;
    forEachDictItem(m_root, [&result](const char *key, plist_t) { result.append(keyString(key)); });
    return result;
}

bool PropertyList::removeKey(const QString &key)
{
    return removeKeyPath(QStringList{key});
}

bool PropertyList::removeKeyPath(const QStringList &keys)
{
    if (keys.isEmpty())
        return false;
    plist_t parent = dictAtPath(m_root, keys, keys.size() - 1);
    const QByteArray last = keys.last().toUtf8();
    if (!parent || !plist_dict_get_item(parent, last.constData()))
        return false;
    plist_dict_remove_item(parent, last.constData());
    return true;
}

void PropertyList::setValue(const QString &key, const QVariant &value)
{
    setValueForKeyPath(QStringList{key}, value);
}

bool PropertyList::setValueForKeyPath(const QStringList &keys, const QVariant &value)
{
    if (keys.isEmpty() || !PLIST_IS_DICT(m_root))
        return false;
    // Missing intermediate dictionaries are created; anything else in the way stops the walk.
    plist_t node = m_root;
    for (qsizetype i = 0; i + 1 < keys.size(); ++i) {
        const QByteArray key = keys.at(i).toUtf8();
        plist_t child = plist_dict_get_item(node, key.constData());
        if (!child) {
            if (!value.isValid())
                return false;
            child = plist_new_dict();
            plist_dict_set_item(node, key.constData(), child);
        } else if (!PLIST_IS_DICT(child)) {
            return false;
        }
        node = child;
    }
    const QByteArray last = keys.last().toUtf8();
    // An empty value removes the key, as setting nil does.
    if (!value.isValid()) {
        if (plist_dict_get_item(node, last.constData()))
            plist_dict_remove_item(node, last.constData());
        return true;
    }
    plist_t child = variantToNode(value);
    if (!child)
        return false;
    plist_dict_set_item(node, last.constData(), child);
    return true;
}

int PropertyList::count() const
{
    if (PLIST_IS_ARRAY(m_root))
        return int(plist_array_get_size(m_root));
    if (PLIST_IS_DICT(m_root))
        return int(plist_dict_get_size(m_root));
    return 0;
}

plist_t PropertyList::node() const
{
    return m_root;
}

} // namespace platform
