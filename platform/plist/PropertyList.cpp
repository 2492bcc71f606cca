#include "platform/plist/PropertyList.h"

#include "platform/files/FileManager.h"
#include "platform/plist/PlistBinaryReader.h"
#include "platform/plist/PlistBinaryWriter.h"
#include "platform/plist/PlistLimits.h"
#include "platform/plist/PlistNodes.h"
#include "platform/plist/PlistXmlReader.h"
#include "platform/plist/PlistXmlWriter.h"

#include <QStringDecoder>

#include <plist/plist.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace platform {

namespace {

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

// Only text that looks like XML goes to the XML reader: UTF-8, and UTF-16 or UTF-32 behind
// their byte-order mark, as the system's reader takes them.
bool looksLikeXml(const QByteArray &data)
{
    const std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(data);
    if (!encoding || *encoding == QStringConverter::Utf8)
        return data.mid(data.startsWith("\xEF\xBB\xBF") ? 3 : 0, 256).trimmed().startsWith('<');
    QStringDecoder decoder(*encoding);
    const QString start = decoder.decode(QByteArrayView(data).first(qMin(data.size(), 1024)));
    return start.trimmed().startsWith(u'<');
}

} // namespace

PropertyList::PropertyList()
    : m_root(plist_new_dict())
{}

PropertyList::PropertyList(plist_t root, Format format)
    : m_root(root)
    , m_format(format)
{}

PropertyList::~PropertyList()
{
    if (m_root)
        plist_free(m_root);
}

PropertyList::PropertyList(const PropertyList &other)
    : m_root(other.m_root ? plist_copy(other.m_root) : nullptr)
    , m_format(other.m_format)
{}

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
    : m_root(other.m_root)
    , m_format(other.m_format)
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
    if (data.isEmpty() || data.size() > plistlimits::maxFileBytes)
        return std::nullopt;
    plist_t root = nullptr;
    Format format = Format::Xml;
    if (data.startsWith("bplist00")) {
        format = Format::Binary;
        root = plistbinary::read(data);
    } else if (looksLikeXml(data)) {
        root = plistxml::read(data);
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
        FileManager::defaultManager().readRegularFile(path, plistlimits::maxFileBytes, true, &why);
    if (!file)
        return std::nullopt;
    std::optional<PropertyList> list = fromData(file->data);
    if (!list)
        why = file->data.size() > plistlimits::maxFileBytes ? ReadFailure::TooLarge : ReadFailure::Malformed;
    return list;
}

PropertyList PropertyList::fromVariant(const QVariant &value, Format format)
{
    plist_t root = plistnodes::variantToNode(value);
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
    return plistnodes::nodeToVariant(m_root);
}

std::optional<QByteArray> PropertyList::toData() const
{
    return toData(m_format);
}

std::optional<QByteArray> PropertyList::toData(Format format) const
{
    return format == Format::Binary ? plistbinary::write(m_root) : plistxml::write(m_root);
}

bool PropertyList::isIdenticalTo(const PropertyList &other) const
{
    if (!m_root || !other.m_root)
        return m_root == other.m_root;
    std::vector<std::pair<plist_t, plist_t>> pending{{m_root, other.m_root}};
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        if (!plistnodes::sameLeaf(a, b))
            return false;
        const auto left = plistnodes::childrenOf(a);
        const auto right = plistnodes::childrenOf(b);
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
    return plistnodes::nodeToVariant(plist_dict_get_item(m_root, key.toUtf8().constData()));
}

QVariant PropertyList::valueForKeyPath(const QStringList &keys) const
{
    if (keys.isEmpty())
        return {};
    plist_t parent = dictAtPath(m_root, keys, keys.size() - 1);
    if (!parent)
        return {};
    return plistnodes::nodeToVariant(plist_dict_get_item(parent, keys.last().toUtf8().constData()));
}

QStringList PropertyList::keys() const
{
    QStringList result;
    if (!PLIST_IS_DICT(m_root))
        return result;
    plistnodes::forEachDictItem(m_root,
                                [&result](const char *key, plist_t) { result.append(plistnodes::keyString(key)); });
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
    plist_t child = plistnodes::variantToNode(value);
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
