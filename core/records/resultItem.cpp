#include "core/records/resultItem.h"

#include "core/records/RecordField.h"
#include "platform/system/Dictionary.h"

using namespace Qt::StringLiterals;

std::shared_ptr<resultItem> resultItem::create()
{
    return std::make_shared<resultItem>();
}

QString resultItem::resultItemPath() const
{
    return lockedGet(m_mutex, m_path);
}

void resultItem::setResultItemPath(const QString &path)
{
    lockedSet(m_mutex, m_path, path);
}

QString resultItem::resultItemType() const
{
    return lockedGet(m_mutex, m_type);
}

void resultItem::setResultItemType(const QString &type)
{
    lockedSet(m_mutex, m_type, type);
}

QString resultItem::resultItemName() const
{
    return lockedGet(m_mutex, m_name);
}

void resultItem::setResultItemName(const QString &name)
{
    lockedSet(m_mutex, m_name, name);
}

QString resultItem::resultItemExtraInfo() const
{
    return lockedGet(m_mutex, m_extraInfo);
}

void resultItem::setResultItemExtraInfo(const QString &extraInfo)
{
    lockedSet(m_mutex, m_extraInfo, extraInfo);
}

std::optional<quint64> resultItem::resultItemSize() const
{
    return lockedGet(m_mutex, m_size);
}

void resultItem::setResultItemSize(std::optional<quint64> size)
{
    lockedSet(m_mutex, m_size, size);
}

QString resultItem::resultItemConvertedSize() const
{
    return lockedGet(m_mutex, m_convertedSize);
}

void resultItem::setResultItemConvertedSize(const QString &size)
{
    lockedSet(m_mutex, m_convertedSize, size);
}

std::optional<bool> resultItem::resultItemIsChecked() const
{
    return lockedGet(m_mutex, m_isChecked);
}

void resultItem::setResultItemIsChecked(std::optional<bool> checked)
{
    lockedSet(m_mutex, m_isChecked, checked);
}

platform::ImagePtr resultItem::resultItemImage() const
{
    return lockedGet(m_mutex, m_image);
}

void resultItem::setResultItemImage(const platform::ImagePtr &image)
{
    lockedSet(m_mutex, m_image, image);
}

QZStatusObjectPtr resultItem::resultStatus() const
{
    return lockedGet(m_mutex, m_status);
}

void resultItem::setResultStatus(const QZStatusObjectPtr &status)
{
    lockedSet(m_mutex, m_status, status);
}

QString resultItem::resultItemStatusText() const
{
    return lockedGet(m_mutex, m_statusText);
}

void resultItem::setResultItemStatusText(const QString &text)
{
    setStatus(text, rowStateOfText(text));
}

std::optional<RowState> resultItem::resultItemState() const
{
    return lockedGet(m_mutex, m_state);
}

void resultItem::setResultItemState(RowState state, std::optional<int> percent)
{
    setStatus(rowStateText(state, percent), state);
}

void resultItem::setStatus(QString text, std::optional<RowState> state)
{
    QMutexLocker lock(&m_mutex);
    std::swap(m_statusText, text);
    m_state = state;
    lock.unlock();
}

QString resultItem::resultItemIdentifier() const
{
    return lockedGet(m_mutex, m_identifier);
}

void resultItem::setResultItemIdentifier(const QString &identifier)
{
    lockedSet(m_mutex, m_identifier, identifier);
}

QString resultItem::resultItemAppName() const
{
    return lockedGet(m_mutex, m_appName);
}

void resultItem::setResultItemAppName(const QString &appName)
{
    lockedSet(m_mutex, m_appName, appName);
}

QVariantMap resultItem::summary() const
{
    QMutexLocker lock(&m_mutex);
    return platform::dictionaryWithPairs({
        {u"resultItemPath"_s, m_path},
        {u"resultItemType"_s, m_type},
        {u"resultItemName"_s, m_name},
        {u"resultItemExtraInfo"_s, m_extraInfo},
        {u"resultItemSize"_s, m_size ? QVariant::fromValue(*m_size) : QVariant()},
        {u"resultItemConvertedSize"_s, m_convertedSize},
        {u"resultItemIsChecked"_s, m_isChecked ? QVariant(*m_isChecked) : QVariant()},
        {u"resultItemImage"_s, m_image ? QVariant::fromValue(m_image) : QVariant()},
        {u"resultStatus"_s, m_status ? QVariant::fromValue(m_status) : QVariant()},
        {u"resultItemStatusText"_s, m_statusText},
        {u"resultItemIdentifier"_s, m_identifier},
        {u"resultItemAppName"_s, m_appName},
    });
}
