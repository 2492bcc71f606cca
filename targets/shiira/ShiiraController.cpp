#include "targets/shiira/ShiiraController.h"

#include "targets/shiira/ShiiraPrefsViewController.h"
#include "targets/shiira/ShiiraTraceTable.h"

ShiiraController::ShiiraController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(shiira::identifier), QString::fromLatin1(shiira::scanKey),
                QString::fromLatin1(shiira::displayName));
    setCategories(shiira::categories());
    setTraceTable(shiira::traceRows());
    setCleaningHandler(&ShiiraController::cleanShiira);
}

void ShiiraController::cleanShiira(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *ShiiraController::createPane()
{
    return new ShiiraPrefsViewController;
}
