#pragma once

#include "platform/PlistLimits.h"

#include <QByteArray>

#include <vector>

typedef void *plist_t;

namespace platform {

// Builds a libplist tree from a reader's events without recursing, counting every node and
// byte against the limits as it goes; each step is false the moment a limit is passed or the
// events do not make a tree. A container joins its parent only once it is closed, so a
// refused list is freed one open container at a time.
class PlistTreeBuilder
{
public:
    // XML has no UID element: writers store one as a dictionary holding only "CF$UID".
    enum class Uids { AsWritten, FromDictionaries };

    explicit PlistTreeBuilder(Uids uids = Uids::AsWritten);
    ~PlistTreeBuilder();
    PlistTreeBuilder(const PlistTreeBuilder &) = delete;
    PlistTreeBuilder &operator=(const PlistTreeBuilder &) = delete;

    bool openArray();
    bool openDictionary();
    bool close();
    // The key of the next value of the open dictionary, as UTF-8.
    bool key(const QByteArray &utf8);
    bool string(const QByteArray &utf8);
    bool data(const char *bytes, quint64 length);
    // Any other leaf; taken over (and freed on failure).
    bool leaf(plist_t node);

    qsizetype depth() const { return qsizetype(m_open.size()); }
    bool hasRoot() const { return m_root != nullptr; }
    // The finished tree, handed over; nothing while a container is open.
    plist_t take();

private:
    struct Open {
        plist_t node;
        bool dictionary;
        bool haveKey;
        QByteArray key;
    };
    bool open(plist_t node, bool dictionary);
    bool attach(plist_t node);

    Uids m_uids;
    plistlimits::Budget m_budget;
    std::vector<Open> m_open;
    plist_t m_root = nullptr;
};

} // namespace platform
