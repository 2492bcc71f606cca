#include "platform/plist/PlistTreeBuilder.h"

#include <plist/plist.h>

#include <limits>

namespace platform {

// References are four bytes: the node budget keeps every list well below 2^32 objects.
static_assert(plistlimits::maxNodes < (quint64(1) << 32));

PlistTreeBuilder::PlistTreeBuilder(Uids uids)
    : m_uids(uids)
    , m_objects(4, PlistBinaryEncoder::Sharing::None)
{}

bool PlistTreeBuilder::openArray()
{
    return open(false);
}

bool PlistTreeBuilder::openDictionary()
{
    return open(true);
}

bool PlistTreeBuilder::open(bool dictionary)
{
    if (!m_budget.addNode() || !plistlimits::Budget::depthAllowed(depth() + 1) || m_root
        || (!m_open.empty() && m_open.back().dictionary && !m_open.back().haveKey))
        return false;
    m_open.push_back(Open{dictionary, false, false, std::nullopt, {}, {}, {}});
    return true;
}

bool PlistTreeBuilder::close()
{
    if (m_open.empty() || m_open.back().haveKey)
        return false;
    Open node = std::move(m_open.back());
    m_open.pop_back();
    // The root is never a UID: only values inside a container are. A UID holds 32 bits; a
    // larger "CF$UID" stays the dictionary it is written as.
    if (m_uids == Uids::FromDictionaries && !m_open.empty() && node.dictionary && node.keys.size() == 1 && node.uidValue
        && *node.uidValue <= std::numeric_limits<quint32>::max())
        return attach(m_objects.uid(*node.uidValue));
    node.keys.insert(node.keys.end(), node.values.cbegin(), node.values.cend());
    return attach(m_objects.container(node.dictionary, node.keys));
}

bool PlistTreeBuilder::key(const QByteArray &utf8)
{
    if (m_open.empty() || !m_open.back().dictionary || m_open.back().haveKey || !m_budget.addNode()
        || !m_budget.addBytes(quint64(utf8.size())))
        return false;
    Open &parent = m_open.back();
    const qsizetype known = parent.keyNames.size();
    parent.keyNames.insert(utf8);
    if (parent.keyNames.size() == known)
        return false;
    parent.keys.push_back(m_objects.rawString(utf8.constData(), quint64(utf8.size())));
    parent.haveKey = true;
    parent.keyIsUid = utf8 == "CF$UID";
    return true;
}

bool PlistTreeBuilder::leafAllowed()
{
    return m_budget.addNode();
}

bool PlistTreeBuilder::string(const QByteArray &utf8)
{
    return m_budget.addBytes(quint64(utf8.size())) && leafAllowed()
        && attach(m_objects.rawString(utf8.constData(), quint64(utf8.size())));
}

bool PlistTreeBuilder::data(const char *bytes, quint64 length)
{
    return m_budget.addBytes(length) && leafAllowed() && attach(m_objects.data(bytes, length));
}

bool PlistTreeBuilder::boolean(bool value)
{
    return leafAllowed() && attach(m_objects.boolean(value));
}

bool PlistTreeBuilder::integer(quint64 raw, bool largeUnsigned)
{
    if (!leafAllowed())
        return false;
    if (!m_open.empty() && m_open.back().keyIsUid)
        m_open.back().uidValue = raw;
    return attach(m_objects.integer(raw, largeUnsigned));
}

bool PlistTreeBuilder::real(double value)
{
    return leafAllowed() && attach(m_objects.real(value, false));
}

bool PlistTreeBuilder::date(double secondsSince2001)
{
    return leafAllowed() && attach(m_objects.date(secondsSince2001));
}

bool PlistTreeBuilder::uid(quint64 value)
{
    // UIDs are 32 bits, as the system writes them and libplist's reader takes them.
    return value <= std::numeric_limits<quint32>::max() && leafAllowed() && attach(m_objects.uid(value));
}

bool PlistTreeBuilder::attach(quint64 ref)
{
    if (m_open.empty()) {
        if (m_root)
            return false;
        m_root = ref;
        return true;
    }
    Open &parent = m_open.back();
    if (parent.dictionary) {
        if (!parent.haveKey)
            return false;
        parent.haveKey = false;
        parent.keyIsUid = false;
    }
    parent.values.push_back(ref);
    return true;
}

plist_t PlistTreeBuilder::take()
{
    if (!m_open.empty() || !m_root)
        return nullptr;
    const QByteArray list = m_objects.finish(*m_root);
    m_root.reset();
    if (quint64(list.size()) > std::numeric_limits<uint32_t>::max())
        return nullptr;
    plist_t root = nullptr;
    plist_from_bin(list.constData(), uint32_t(list.size()), &root);
    return root;
}

} // namespace platform
