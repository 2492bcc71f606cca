#include "targets/seamonkey/SeaMonkeyController.h"

#include "targets/seamonkey/SeaMonkeyPrefsViewController.h"
#include "targets/seamonkey/SeaMonkeyTraceTable.h"

SeaMonkeyController::SeaMonkeyController(QObject *parent)
    : MozillaProfileController(&seamonkey::profilePath, &seamonkey::cachePath, parent)
{
    setIdentity(QString::fromLatin1(seamonkey::identifier), QString::fromLatin1(seamonkey::scanKey),
                QString::fromLatin1(seamonkey::displayName));
    setCategories(seamonkey::categories());
    setTraceTable(seamonkey::traceRows());
    setCleaningHandler(&SeaMonkeyController::cleanSeaMonkey);
}

void SeaMonkeyController::cleanSeaMonkey(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *SeaMonkeyController::createPane()
{
    return new SeaMonkeyPrefsViewController;
}
