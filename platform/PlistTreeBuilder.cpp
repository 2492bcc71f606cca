#include "platform/PlistTreeBuilder.h"

#include <plist/plist.h>

namespace platform {

namespace {

// A dictionary holding only an integer under "CF$UID" stands for a UID.
plist_t uidFromDictionary(plist_t dict)
{
    if (plist_dict_get_size(dict) != 1)
        return nullptr;
    plist_t value = plist_dict_get_item(dict, "CF$UID");
    if (!PLIST_IS_UINT(value))
        return nullptr;
    uint64_t v = 0;
    plist_get_uint_val(value, &v);
    return plist_new_uid(v);
}

} // namespace

PlistTreeBuilder::PlistTreeBuilder(Uids uids)
    : m_uids(uids)
{
}

PlistTreeBuilder::~PlistTreeBuilder()
{
    for (const Open &open : m_open)
        plist_free(open.node);
    if (m_root)
        plist_free(m_root);
}

bool PlistTreeBuilder::openArray()
{
    return open(plist_new_array(), false);
}

bool PlistTreeBuilder::openDictionary()
{
    return open(plist_new_dict(), true);
}

bool PlistTreeBuilder::open(plist_t node, bool dictionary)
{
    if (!m_budget.addNode() || !plistlimits::Budget::depthAllowed(depth() + 1) || m_root
        || (!m_open.empty() && m_open.back().dictionary && !m_open.back().haveKey)) {
        plist_free(node);
        return false;
    }
    m_open.push_back(Open{node, dictionary, false, QByteArray()});
    return true;
}

bool PlistTreeBuilder::close()
{
    if (m_open.empty() || m_open.back().haveKey)
        return false;
    plist_t node = m_open.back().node;
    m_open.pop_back();
    // The root is never a UID: only values inside a container are.
    if (m_uids == Uids::FromDictionaries && !m_open.empty() && PLIST_IS_DICT(node)) {
        if (plist_t uid = uidFromDictionary(node)) {
            plist_free(node);
            node = uid;
        }
    }
    return attach(node);
}

bool PlistTreeBuilder::key(const QByteArray &utf8)
{
    if (m_open.empty() || !m_open.back().dictionary || m_open.back().haveKey
        || !m_budget.addNode() || !m_budget.addBytes(quint64(utf8.size())))
        return false;
    m_open.back().key = utf8;
    m_open.back().haveKey = true;
    return true;
}

bool PlistTreeBuilder::string(const QByteArray &utf8)
{
    if (!m_budget.addBytes(quint64(utf8.size())))
        return false;
    return leaf(plist_new_string(utf8.constData()));
}

bool PlistTreeBuilder::data(const char *bytes, quint64 length)
{
    if (!m_budget.addBytes(length))
        return false;
    return leaf(plist_new_data(bytes, length));
}

bool PlistTreeBuilder::leaf(plist_t node)
{
    if (!node)
        return false;
    if (!m_budget.addNode()) {
        plist_free(node);
        return false;
    }
    return attach(node);
}

bool PlistTreeBuilder::attach(plist_t node)
{
    if (m_open.empty()) {
        if (m_root) {
            plist_free(node);
            return false;
        }
        m_root = node;
        return true;
    }
    Open &parent = m_open.back();
    if (!parent.dictionary) {
        plist_array_append_item(parent.node, node);
        return true;
    }
    if (!parent.haveKey) {
        plist_free(node);
        return false;
    }
    plist_dict_set_item(parent.node, parent.key.constData(), node);
    parent.haveKey = false;
    return true;
}

plist_t PlistTreeBuilder::take()
{
    if (!m_open.empty())
        return nullptr;
    plist_t root = m_root;
    m_root = nullptr;
    return root;
}

} // namespace platform
