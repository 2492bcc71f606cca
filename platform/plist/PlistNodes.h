#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <plist/plist.h>

#include <cstdlib>
#include <utility>
#include <vector>

// PropertyList's own traffic with libplist nodes: walking a tree without recursing, comparing
// leaves, and turning nodes into QVariants and back (no deeper than plistlimits::maxDepth).
namespace platform::plistnodes {

inline QString keyString(const char *key)
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

// Calls fn(child) for every item of an array node in order. Items are followed from one to
// the next: fetching them by index costs a walk from the front for arrays read from disk.
template <class Fn>
void forEachArrayItem(plist_t array, Fn fn)
{
    plist_array_iter it = nullptr;
    plist_array_new_iter(array, &it);
    for (;;) {
        plist_t child = nullptr;
        plist_array_next_item(array, it, &child);
        if (!child)
            break;
        fn(child);
    }
    std::free(it);
}

// The children of a container in order (a dictionary's values only, with their keys).
std::vector<std::pair<QByteArray, plist_t>> childrenOf(plist_t node);

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

// Visits every node depth first, children in order, following each container's items from
// one to the next without recursing: enter(key, node) for every node (key is null outside a
// dictionary), then leave(container) once its items are done. Stops at the first false.
template <class Enter, class Leave>
bool walkTree(plist_t root, Enter enter, Leave leave)
{
    struct Frame
    {
        plist_t node;
        void *iter;
        bool dictionary;
    };
    std::vector<Frame> open;
    auto visit = [&](const char *key, plist_t node) {
        if (!enter(key, node))
            return false;
        void *iter = nullptr;
        if (PLIST_IS_DICT(node)) {
            plist_dict_new_iter(node, &iter);
            open.push_back(Frame{node, iter, true});
        } else if (PLIST_IS_ARRAY(node)) {
            plist_array_new_iter(node, &iter);
            open.push_back(Frame{node, iter, false});
        }
        return true;
    };
    bool ok = visit(nullptr, root);
    while (ok && !open.empty()) {
        const Frame frame = open.back();
        char *key = nullptr;
        plist_t child = nullptr;
        if (frame.dictionary)
            plist_dict_next_item(frame.node, frame.iter, &key, &child);
        else
            plist_array_next_item(frame.node, frame.iter, &child);
        if (child)
            ok = visit(key, child);
        std::free(key);
        if (!child) {
            std::free(frame.iter);
            open.pop_back();
            ok = leave(frame.node);
        }
    }
    for (const Frame &frame : open)
        std::free(frame.iter);
    return ok;
}

// Same type and value, bit for bit where the type allows (a real's sign of zero, an
// integer's width, a date's fraction).
bool sameLeaf(plist_t a, plist_t b);

// Leaves the node constructors of libplist cannot make exactly: an integer above the signed
// range that must stay unsigned, and a date with every bit of its seconds since 2001.
plist_t newLargeUnsigned(quint64 value);
plist_t newDate(double secondsSince2001);
// What the getters of libplist cannot say: whether an integer node above the signed range is
// unsigned, and a date's seconds since 2001 with every bit (the getter's 32-bit seconds end
// in 1933 and 2069).
bool isLargeUnsigned(plist_t node);
double dateSeconds(plist_t node);

// Nothing for values a property list cannot hold (an invalid QVariant among them).
plist_t variantToNode(const QVariant &value, int depth = 0);
// UIDs as PlistUid, dates as UTC QDateTime; nothing for a null node.
QVariant nodeToVariant(plist_t node, int depth = 0);

} // namespace platform::plistnodes
