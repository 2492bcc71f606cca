#include "targets/firefox/FirefoxController.h"

#include "targets/firefox/FirefoxPrefsViewController.h"
#include "targets/firefox/FirefoxTraceTable.h"
#include "targets/mozilla/MozillaProfiles.h"
#include "targets/mozilla/MozillaRows.h"

FirefoxController::FirefoxController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(firefox::identifier), QString::fromLatin1(firefox::scanKey),
                QString::fromLatin1(firefox::displayName));
    setCategories(firefox::categories());
    setTraceTable(firefox::traceRows());
}

QString FirefoxController::getFirefoxPath() const
{
    return firefox::profilePath();
}

QString FirefoxController::getFirefoxCachePath() const
{
    return firefox::cachePath();
}

QString FirefoxController::placesPath() const
{
    return mozilla::inProfile(&firefox::profilePath, QStringLiteral("places.sqlite"))();
}

bool FirefoxController::firefoxHistoryItemsExist()
{
    return mozilla::historyItemsExist(countArray(), placesPath());
}

bool FirefoxController::firefoxURLAutocompleteHistoryItemsExist()
{
    return mozilla::urlAutocompleteHistoryItemsExist(countArray(), placesPath());
}

void FirefoxController::cleanFirefox(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *FirefoxController::createPane()
{
    return new FirefoxPrefsViewController;
}

void FirefoxController::handleCleaningRequest(const platform::Notification &request)
{
    cleanFirefox(request);
}
