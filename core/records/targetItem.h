#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <optional>

// One candidate trace that a module offers while one location is scanned.
// Every field may be empty; a new record has all fields empty. Getters and setters lock the
// record, so a reader never sees a half-written value.
class targetItem
{
public:
    // The class constructor `targetItem`: a new, empty record.
    static std::shared_ptr<targetItem> create();

    QString targetItemPath() const;
    void setTargetItemPath(const QString &path);
    // "File", "Dir", "Plist" or "Sqlite".
    QString targetItemType() const;
    void setTargetItemType(const QString &type);
    QString targetItemClassification() const;
    void setTargetItemClassification(const QString &classification);
    // Any value; for "Plist" items the property-list key the cleaning removes.
    QVariant targetItemExtraInfo() const;
    void setTargetItemExtraInfo(const QVariant &extraInfo);
    std::optional<quint64> targetItemSize() const;
    void setTargetItemSize(std::optional<quint64> size);
    std::optional<bool> targetItemIsChecked() const;
    void setTargetItemIsChecked(std::optional<bool> checked);

    // Every field under its own name, in field order, up to the first empty one.
    QVariantMap summary() const;

private:
    mutable QMutex m_mutex;
    QString m_path;
    QString m_type;
    QString m_classification;
    QVariant m_extraInfo;
    std::optional<quint64> m_size;
    std::optional<bool> m_isChecked;
};

using targetItemPtr = std::shared_ptr<targetItem>;
// The keys::Targets value of a keys::CheckTargetFiles batch: QVariant::fromValue(targetItemList).
using targetItemList = QList<targetItemPtr>;
