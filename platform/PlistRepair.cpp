#include "platform/PlistRepair.h"

#include "platform/PlistNodes.h"
#include "platform/PlistShape.h"

#include <cctype>
#include <cmath>

namespace platform::plistrepair {

namespace {

const QByteArray kUidKey = QByteArrayLiteral("CF$UID");

} // namespace

void restoreUids(plist_t node, int depth)
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
        plistnodes::forEachDictItem(node, [&uidKeys, depth](const char *key, plist_t child) {
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
    plistnodes::forEachNode(root, [&](plist_t node) {
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
    plistnodes::forEachNode(root, [&negativeZero](plist_t node) {
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

} // namespace platform::plistrepair
