#include "targets/camino/CaminoController.h"

#include "targets/camino/CaminoPrefsViewController.h"
#include "targets/camino/CaminoTraceTable.h"

CaminoController::CaminoController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(camino::identifier), QString::fromLatin1(camino::scanKey),
                QString::fromLatin1(camino::displayName));
    setCategories(camino::categories());
    setTraceTable(camino::traceRows());
    setCleaningHandler(&CaminoController::cleanCamino);
}

void CaminoController::cleanCamino(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *CaminoController::createPane()
{
    return new CaminoPrefsViewController;
}
