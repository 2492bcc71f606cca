#include "targets/preview/PreviewController.h"

#include "targets/preview/PreviewPrefsViewController.h"
#include "targets/preview/PreviewTraceTable.h"

PreviewController::PreviewController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(preview::identifier), QString::fromLatin1(preview::scanKey),
                QString::fromLatin1(preview::displayName));
    setCategories(preview::categories());
    setTraceTable(preview::traceRows());
    setCleaningHandler(&PreviewController::cleanPreview);
}

void PreviewController::cleanPreview(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *PreviewController::createPane()
{
    return new PreviewPrefsViewController;
}
