#include "core/records/locationItem.h"

#include "core/records/RecordField.h"
#include "platform/system/Dictionary.h"

using namespace Qt::StringLiterals;

std::shared_ptr<locationItem> locationItem::create()
{
    return std::make_shared<locationItem>();
}

QString locationItem::locName() const
{
    return lockedGet(m_mutex, m_locName);
}

void locationItem::setLocName(const QString &name)
{
    lockedSet(m_mutex, m_locName, name);
}

QString locationItem::locIdentifier() const
{
    return lockedGet(m_mutex, m_locIdentifier);
}

void locationItem::setLocIdentifier(const QString &identifier)
{
    lockedSet(m_mutex, m_locIdentifier, identifier);
}

QString locationItem::locInfo() const
{
    return lockedGet(m_mutex, m_locInfo);
}

void locationItem::setLocInfo(const QString &info)
{
    lockedSet(m_mutex, m_locInfo, info);
}

platform::ImagePtr locationItem::locImage() const
{
    return lockedGet(m_mutex, m_locImage);
}

void locationItem::setLocImage(const platform::ImagePtr &image)
{
    lockedSet(m_mutex, m_locImage, image);
}

std::optional<bool> locationItem::locIsChecked() const
{
    return lockedGet(m_mutex, m_locIsChecked);
}

void locationItem::setLocIsChecked(std::optional<bool> checked)
{
    lockedSet(m_mutex, m_locIsChecked, checked);
}

QVariantMap locationItem::summary() const
{
    QMutexLocker lock(&m_mutex);
    return platform::dictionaryWithPairs({
        {u"locName"_s, m_locName},
        {u"locIdentifier"_s, m_locIdentifier},
        {u"locInfo"_s, m_locInfo},
        {u"locImage"_s, m_locImage ? QVariant::fromValue(m_locImage) : QVariant()},
        {u"locIsChecked"_s, m_locIsChecked ? QVariant(*m_locIsChecked) : QVariant()},
    });
}
