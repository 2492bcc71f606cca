#include "targets/icab/iCabController.h"

#include "targets/icab/iCabPrefsViewController.h"
#include "targets/icab/iCabTraceTable.h"

iCabController::iCabController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(icab::identifier), QString::fromLatin1(icab::scanKey),
                QString::fromLatin1(icab::displayName));
    setCategories(icab::categories());
    setTraceTable(icab::traceRows());
    setCleaningHandler(&iCabController::cleaniCab);
}

void iCabController::cleaniCab(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *iCabController::createPane()
{
    return new iCabPrefsViewController;
}
