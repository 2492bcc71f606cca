#include "core/TargetController.h"

#include "core/Keys.h"
#include "core/PrefsPaneHost.h"
#include "platform/system/Dictionary.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"

using namespace Qt::StringLiterals;

using platform::Notification;
using platform::NotificationCenter;
using platform::UserDefaults;

TargetController::TargetController(QObject *parent)
    : QObject(parent)
{}

TargetController::~TargetController() = default;

void TargetController::init()
{
    if (m_initialized)
        return;
    m_initialized = true;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, keys::LoadPrefsViews, [this](const Notification &) { loadPrefsViews(); });
    center.addObserver(this, keys::RemovePrefsObservers, [this](const Notification &) { removePrefsObservers(); });
    center.addObserver(this, keys::CheckInstalledApps, [this](const Notification &) { checkInstalledApps(); });
    center.addObserver(this, keys::CheckTargetLocations, [this](const Notification &) { checkTargetLocation(); });
    center.addObserver(this, keys::CheckLocationItems,
                       [this](const Notification &n) { checkTargetItemsForLocation(n); });
    center.addObserver(this, keys::AddLocationItem, [this](const Notification &n) { addLocationItem(n); });
}

void TargetController::refreshDoesExist()
{
    m_doesExist = targetExists();
}

void TargetController::checkInstalledApps()
{
    refreshDoesExist();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    // A stored value of either kind means the pane was offered before.
    if (!m_doesExist || defaults.objectForKey(m_identifierString).isValid())
        return;
    defaults.setBool(true, m_identifierString);
    defaults.synchronize();
    loadTargetPrefView();
}

void TargetController::loadPrefsViews()
{
    refreshDoesExist();
    if (!m_doesExist)
        return;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(true, m_identifierString);
    defaults.synchronize();
    loadTargetPrefView();
    if (!m_prefControl)
        return;
    PrefsPaneHost *host = m_prefControl;
    defaults.addObserver(m_scanString, host,
                         [host](const QString &key, int kind, const QVariant &oldValue, const QVariant &newValue) {
                             host->observeValueForKeyPath(key, kind, oldValue, newValue);
                         });
}

void TargetController::removePrefsObservers()
{
    refreshDoesExist();
    if (m_doesExist && m_prefControl)
        UserDefaults::standardUserDefaults().removeObserver(m_scanString, m_prefControl);
}

void TargetController::checkTargetLocation()
{
    refreshDoesExist();
    if (!checkTarget() || !m_doesExist)
        return;
    NotificationCenter::defaultCenter().post(keys::AddTargetLocation, this,
                                             keys::targetLocation(m_identifierString, m_targetName));
}

void TargetController::checkTargetItemsForLocation(const Notification &notification)
{
    const QVariant identifier = notification.userInfo.value(keys::TargIdentifier);
    if (!identifier.isValid() || m_identifierString.isEmpty() || identifier.toString() != m_identifierString)
        return;
    m_targetItemArray = targetItemList();
    addTargetItems();
    const QVariantMap batch = keys::targetFiles(notification.userInfo.value(keys::TargName), identifier,
                                                QVariant::fromValue(m_targetItemArray));
    NotificationCenter::defaultCenter().post(keys::CheckTargetFiles, this, batch);
    // Nothing of the scan stays in the module.
    m_targetItemArray = targetItemList();
}

bool TargetController::targetExists()
{
    if (m_identifierString.isEmpty())
        return false;
    return !platform::Workspace::sharedWorkspace().absolutePathForAppBundleWithIdentifier(m_identifierString).isEmpty();
}

void TargetController::addTargetItemWithDict(const QVariantMap &description)
{
    targetItemPtr item = targetItem::create();
    item->setTargetItemPath(description.value(keys::TargetItemPath).toString());
    item->setTargetItemType(description.value(keys::TargetItemType).toString());
    item->setTargetItemClassification(description.value(keys::TargetItemClassification).toString());
    item->setTargetItemExtraInfo(description.value(keys::TargetItemExtraInfo));
    item->setTargetItemSize(0);
    item->setTargetItemIsChecked(true);
    m_targetItemArray.append(item);
}

void TargetController::addLocationItem(const Notification &notification)
{
    const QVariant name = notification.userInfo.value(keys::LocString);
    if (name.isValid() && name.toString() == m_targetName)
        checkTargetLocation();
}

void TargetController::sendCleaningStatusUpdateNotificationForItem(const QString &itemName, const QString &path,
                                                                   bool didClean)
{
    NotificationCenter::defaultCenter().post(keys::CleaningStatusUpdateNotification, this,
                                             keys::cleaningStatus(m_targetName, itemName, path, didClean));
}

void TargetController::sendRemovalNotificationForItem(const QString &itemName, const QString &path,
                                                      const QString &refPath)
{
    NotificationCenter::defaultCenter().post(keys::RemovalItemNotification, this,
                                             platform::dictionaryWithPairs({{keys::RemovalItemAppName, m_targetName},
                                                                            {keys::RemovalItemName, itemName},
                                                                            {keys::RemovalItemPath, path},
                                                                            {keys::RemovalItemRefPath, refPath}}));
}

void TargetController::loadTargetPrefView()
{}

void TargetController::addTargetItems()
{}

bool TargetController::checkTarget()
{
    return false;
}
