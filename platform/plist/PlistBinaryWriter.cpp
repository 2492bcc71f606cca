#include "platform/plist/PlistBinaryWriter.h"

#include "platform/plist/PlistBinaryEncoder.h"
#include "platform/plist/PlistNodes.h"

#include <plist/plist.h>

#include <vector>

namespace platform::plistbinary {

namespace {

std::optional<quint64> leaf(PlistBinaryEncoder &objects, plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return objects.boolean(value != 0);
    }
    case PLIST_UINT: {
        uint64_t raw = 0;
        plist_get_uint_val(node, &raw);
        return objects.integer(raw, plistnodes::isLargeUnsigned(node));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return objects.real(value, true);
    }
    case PLIST_DATE:
        return objects.date(plistnodes::dateSeconds(node));
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *bytes = plist_get_data_ptr(node, &length);
        return objects.data(bytes ? bytes : "", bytes ? length : 0);
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        return objects.string(text ? text : "", text ? length : 0);
    }
    case PLIST_UID: {
        uint64_t value = 0;
        plist_get_uid_val(node, &value);
        return objects.uid(value);
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<QByteArray> write(plist_t root)
{
    if (!root)
        return std::nullopt;
    quint64 nodes = 0;
    plistnodes::walkTree(
        root,
        [&nodes](const char *key, plist_t) {
            nodes += key ? 2 : 1; // a dictionary's key is an object of its own
            return true;
        },
        [](plist_t) { return true; });
    PlistBinaryEncoder objects(PlistBinaryEncoder::refBytesFor(nodes), PlistBinaryEncoder::Sharing::SharedLeaves);
    // The references gathered for each open container: a dictionary's keys, then its values.
    struct Open
    {
        std::vector<quint64> keys;
        std::vector<quint64> values;
    };
    std::vector<Open> open;
    quint64 top = 0;
    auto place = [&](quint64 ref) {
        if (open.empty())
            top = ref;
        else
            open.back().values.push_back(ref);
    };
    const bool written = plistnodes::walkTree(
        root,
        [&](const char *key, plist_t node) {
            if (key) {
                const std::optional<quint64> keyRef = objects.string(key, qstrlen(key));
                if (!keyRef)
                    return false;
                open.back().keys.push_back(*keyRef);
            }
            if (PLIST_IS_DICT(node) || PLIST_IS_ARRAY(node)) {
                open.emplace_back();
                return true;
            }
            const std::optional<quint64> ref = leaf(objects, node);
            if (ref)
                place(*ref);
            return ref.has_value();
        },
        [&](plist_t node) {
            Open done = std::move(open.back());
            open.pop_back();
            done.keys.insert(done.keys.end(), done.values.cbegin(), done.values.cend());
            place(objects.container(PLIST_IS_DICT(node), done.keys));
            return true;
        });
    if (!written)
        return std::nullopt;
    return objects.finish(top);
}

} // namespace platform::plistbinary
