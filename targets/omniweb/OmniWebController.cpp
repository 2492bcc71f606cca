#include "targets/omniweb/OmniWebController.h"

#include "targets/omniweb/OmniWebPrefsViewController.h"
#include "targets/omniweb/OmniWebTraceTable.h"

OmniWebController::OmniWebController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(omniweb::identifier), QString::fromLatin1(omniweb::scanKey),
                QString::fromLatin1(omniweb::displayName));
    setCategories(omniweb::categories());
    setTraceTable(omniweb::traceRows());
    setCleaningHandler(&OmniWebController::cleanOmniWeb);
}

void OmniWebController::cleanOmniWeb(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *OmniWebController::createPane()
{
    return new OmniWebPrefsViewController;
}
