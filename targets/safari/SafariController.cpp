#include "targets/safari/SafariController.h"

#include "targets/safari/SafariPrefsViewController.h"
#include "targets/safari/SafariTraceTable.h"

SafariController::SafariController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(safari::identifier), QString::fromLatin1(safari::scanKey),
                QString::fromLatin1(safari::displayName));
    setCategories(safari::categories());
    setTraceTable(safari::traceRows());
    setCleaningHandler(&SafariController::cleanSafari);
}

void SafariController::cleanSafari(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *SafariController::createPane()
{
    return new SafariPrefsViewController;
}
