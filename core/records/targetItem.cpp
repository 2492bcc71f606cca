#include "core/records/targetItem.h"

#include "core/records/RecordField.h"
#include "platform/system/Dictionary.h"

using namespace Qt::StringLiterals;

std::shared_ptr<targetItem> targetItem::create()
{
    return std::make_shared<targetItem>();
}

QString targetItem::targetItemPath() const
{
    return lockedGet(m_mutex, m_path);
}

void targetItem::setTargetItemPath(const QString &path)
{
    lockedSet(m_mutex, m_path, path);
}

QString targetItem::targetItemType() const
{
    return lockedGet(m_mutex, m_type);
}

void targetItem::setTargetItemType(const QString &type)
{
    lockedSet(m_mutex, m_type, type);
}

QString targetItem::targetItemClassification() const
{
    return lockedGet(m_mutex, m_classification);
}

void targetItem::setTargetItemClassification(const QString &classification)
{
    lockedSet(m_mutex, m_classification, classification);
}

QVariant targetItem::targetItemExtraInfo() const
{
    return lockedGet(m_mutex, m_extraInfo);
}

void targetItem::setTargetItemExtraInfo(const QVariant &extraInfo)
{
    lockedSet(m_mutex, m_extraInfo, extraInfo);
}

std::optional<quint64> targetItem::targetItemSize() const
{
    return lockedGet(m_mutex, m_size);
}

void targetItem::setTargetItemSize(std::optional<quint64> size)
{
    lockedSet(m_mutex, m_size, size);
}

std::optional<bool> targetItem::targetItemIsChecked() const
{
    return lockedGet(m_mutex, m_isChecked);
}

void targetItem::setTargetItemIsChecked(std::optional<bool> checked)
{
    lockedSet(m_mutex, m_isChecked, checked);
}

QVariantMap targetItem::summary() const
{
    QMutexLocker lock(&m_mutex);
    return platform::dictionaryWithPairs({
        {u"targetItemPath"_s, m_path},
        {u"targetItemType"_s, m_type},
        {u"targetItemClassification"_s, m_classification},
        {u"targetItemExtraInfo"_s, m_extraInfo},
        {u"targetItemSize"_s, m_size ? QVariant::fromValue(*m_size) : QVariant()},
        {u"targetItemIsChecked"_s, m_isChecked ? QVariant(*m_isChecked) : QVariant()},
    });
}
