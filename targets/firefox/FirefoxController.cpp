#include "targets/firefox/FirefoxController.h"

#include "targets/firefox/FirefoxPrefsViewController.h"
#include "targets/firefox/FirefoxTraceTable.h"

FirefoxController::FirefoxController(QObject *parent)
    : MozillaProfileController(&firefox::profilePath, &firefox::cachePath, parent)
{
    setIdentity(QString::fromLatin1(firefox::identifier), QString::fromLatin1(firefox::scanKey),
                QString::fromLatin1(firefox::displayName));
    setCategories(firefox::categories());
    setTraceTable(firefox::traceRows());
    setCleaningHandler(&FirefoxController::cleanFirefox);
}

void FirefoxController::cleanFirefox(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *FirefoxController::createPane()
{
    return new FirefoxPrefsViewController;
}
