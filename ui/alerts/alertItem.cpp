#include "ui/alerts/alertItem.h"

#include "core/records/RecordField.h"
#include "platform/system/Dictionary.h"

using namespace Qt::StringLiterals;

std::shared_ptr<alertItem> alertItem::create()
{
    return std::make_shared<alertItem>();
}

QString alertItem::alertItemName() const
{
    return lockedGet(m_mutex, m_name);
}
void alertItem::setAlertItemName(const QString &name)
{
    lockedSet(m_mutex, m_name, name);
}
QString alertItem::alertItemIdentifier() const
{
    return lockedGet(m_mutex, m_identifier);
}
void alertItem::setAlertItemIdentifier(const QString &identifier)
{
    lockedSet(m_mutex, m_identifier, identifier);
}
platform::ImagePtr alertItem::alertItemImage() const
{
    return lockedGet(m_mutex, m_image);
}
void alertItem::setAlertItemImage(const platform::ImagePtr &image)
{
    lockedSet(m_mutex, m_image, image);
}

std::optional<platform::RunningApplication> alertItem::alertItemApp() const
{
    return lockedGet(m_mutex, m_app);
}

void alertItem::setAlertItemApp(const std::optional<platform::RunningApplication> &app)
{
    lockedSet(m_mutex, m_app, app);
}

QVariantMap alertItem::summary() const
{
    QMutexLocker lock(&m_mutex);
    return platform::dictionaryWithPairs({
        {u"alertItemName"_s, m_name},
        {u"alertItemIdentifier"_s, m_identifier},
        {u"alertItemImage"_s, m_image ? QVariant::fromValue(m_image) : QVariant()},
        {u"alertItemApp"_s, m_app ? QVariant(m_app->localizedName) : QVariant()},
    });
}
