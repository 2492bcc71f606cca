#pragma once

#include "platform/files/FileManager.h"

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

typedef void *plist_t;

namespace platform {

// A keyed-archive UID, kept distinct from an integer so that it round-trips as a UID.
struct PlistUid
{
    quint64 value = 0;
    bool operator==(const PlistUid &other) const { return value == other.value; }
};

// A property list held as a libplist tree, parsed from binary or XML bytes; it remembers the
// format it was read in. Editing works on the tree itself, so every node that is not touched
// keeps its exact type and value (dates, data, UIDs, reals versus integers, nested
// containers) when the list is written back.
class PropertyList
{
public:
    enum class Format { Binary, Xml };

    PropertyList(); // an empty dictionary, binary format
    ~PropertyList();
    PropertyList(const PropertyList &other);
    PropertyList &operator=(const PropertyList &other);
    PropertyList(PropertyList &&other) noexcept;
    PropertyList &operator=(PropertyList &&other) noexcept;

    // Nothing when the bytes are not a property list of a supported format, hold a value the
    // tree cannot keep exactly, or pass the limits of PlistLimits.h (size, nesting depth,
    // expanded nodes and bytes), which the readers count as they build the tree.
    static std::optional<PropertyList> fromData(const QByteArray &data);
    // The one reader of lists on disk: regular files only (a final link is followed), opened
    // without blocking, within the size cap, then fromData. Nothing when the file is
    // missing, unreadable, not a regular file or malformed; `failure` says which. `path` may
    // hold names that are not UTF-8 (see PathEncoding.h).
    static std::optional<PropertyList> fromFile(const QString &path);
    static std::optional<PropertyList> fromFile(const QString &path, ReadFailure *failure);
    // Builds a tree from QVariant values (bool, integers, double, QString, QDateTime,
    // QByteArray, PlistUid, QVariantList, QVariantMap).
    static PropertyList fromVariant(const QVariant &value, Format format = Format::Binary);

    Format format() const;
    void setFormat(Format format);

    // The whole tree as QVariants (UIDs as PlistUid, dates as UTC QDateTime).
    QVariant toVariant() const;

    // Serialises in the given format (or the format it was read in); nothing on failure.
    std::optional<QByteArray> toData() const;
    std::optional<QByteArray> toData(Format format) const;

    // Same tree, node for node: types, values (bit for bit), keys and their order.
    bool isIdenticalTo(const PropertyList &other) const;

    bool isDictionary() const;
    bool isArray() const;

    // Top-level dictionary access. The key path forms walk nested dictionaries.
    bool contains(const QString &key) const;
    QVariant value(const QString &key) const;
    QVariant valueForKeyPath(const QStringList &keys) const;
    QStringList keys() const;
    bool removeKey(const QString &key);          // false when absent
    bool removeKeyPath(const QStringList &keys); // removes the last key
    void setValue(const QString &key, const QVariant &value);
    bool setValueForKeyPath(const QStringList &keys, const QVariant &value);

    // Top-level array access.
    int count() const;

    // The underlying tree; owned by this object.
    plist_t node() const;

private:
    explicit PropertyList(plist_t root, Format format);
    plist_t m_root = nullptr;
    Format m_format = Format::Binary;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::PlistUid)
