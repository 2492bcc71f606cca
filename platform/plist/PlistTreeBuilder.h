#pragma once

#include "platform/plist/PlistBinaryEncoder.h"
#include "platform/plist/PlistLimits.h"

#include <QByteArray>
#include <QSet>

#include <optional>
#include <vector>

typedef void *plist_t;

namespace platform {

// Builds a libplist tree from a reader's events without recursing, counting every node and
// byte against the limits as it goes; each step is false the moment a limit is passed or the
// events do not make a tree (a dictionary holding a key twice among them: which value a
// reader keeps is its own choice, so no rewrite could be sure to keep it).
//
// The events are laid out as a binary list of our own that libplist's reader then takes in
// one pass: libplist's own way of adding to a dictionary looks through every key before it,
// which a dictionary of a few hundred thousand keys turns into minutes.
class PlistTreeBuilder
{
public:
    // XML has no UID element: writers store one as a dictionary holding only "CF$UID".
    enum class Uids { AsWritten, FromDictionaries };

    explicit PlistTreeBuilder(Uids uids = Uids::AsWritten);
    PlistTreeBuilder(const PlistTreeBuilder &) = delete;
    PlistTreeBuilder &operator=(const PlistTreeBuilder &) = delete;

    bool openArray();
    bool openDictionary();
    bool close();
    // The key of the next value of the open dictionary, as UTF-8.
    bool key(const QByteArray &utf8);
    bool string(const QByteArray &utf8);
    bool data(const char *bytes, quint64 length);
    bool boolean(bool value);
    // `raw` as 64 bits; `largeUnsigned` for a value above the signed range that is not negative.
    bool integer(quint64 raw, bool largeUnsigned);
    bool real(double value);
    bool date(double secondsSince2001);
    bool uid(quint64 value);

    qsizetype depth() const { return qsizetype(m_open.size()); }
    bool hasRoot() const { return m_root.has_value(); }
    // The finished tree, handed over; nothing while a container is open.
    plist_t take();

private:
    struct Open
    {
        bool dictionary;
        bool haveKey = false;
        bool keyIsUid = false;           // the pending key is "CF$UID"
        std::optional<quint64> uidValue; // the integer held under "CF$UID"
        std::vector<quint64> keys;
        std::vector<quint64> values;
        QSet<QByteArray> keyNames;
    };
    bool open(bool dictionary);
    bool leafAllowed();
    bool attach(quint64 ref);

    Uids m_uids;
    plistlimits::Budget m_budget;
    PlistBinaryEncoder m_objects;
    std::vector<Open> m_open;
    std::optional<quint64> m_root;
};

} // namespace platform
