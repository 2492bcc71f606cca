#include "targets/seamonkey/SeaMonkeyController.h"

#include "targets/mozilla/MozillaProfiles.h"
#include "targets/mozilla/MozillaRows.h"
#include "targets/seamonkey/SeaMonkeyPrefsViewController.h"
#include "targets/seamonkey/SeaMonkeyTraceTable.h"

SeaMonkeyController::SeaMonkeyController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(seamonkey::identifier), QString::fromLatin1(seamonkey::scanKey),
                QString::fromLatin1(seamonkey::displayName));
    setCategories(seamonkey::categories());
    setTraceTable(seamonkey::traceRows());
}

QString SeaMonkeyController::getSeaMonkeyPath() const
{
    return seamonkey::profilePath();
}

QString SeaMonkeyController::getSeaMonkeyCachePath() const
{
    return seamonkey::cachePath();
}

QString SeaMonkeyController::placesPath() const
{
    return mozilla::inProfile(&seamonkey::profilePath, QStringLiteral("places.sqlite"))();
}

bool SeaMonkeyController::seaMonkeyHistoryItemsExist()
{
    return mozilla::historyItemsExist(countArray(), placesPath());
}

bool SeaMonkeyController::seaMonkeyURLAutocompleteHistoryItemsExist()
{
    return mozilla::urlAutocompleteHistoryItemsExist(countArray(), placesPath());
}

void SeaMonkeyController::cleanSeaMonkey(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *SeaMonkeyController::createPane()
{
    return new SeaMonkeyPrefsViewController;
}

void SeaMonkeyController::handleCleaningRequest(const platform::Notification &request)
{
    cleanSeaMonkey(request);
}
