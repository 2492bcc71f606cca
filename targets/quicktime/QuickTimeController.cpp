#include "targets/quicktime/QuickTimeController.h"

#include "targets/quicktime/QuickTimePrefsViewController.h"
#include "targets/quicktime/QuickTimeTraceTable.h"

QuickTimeController::QuickTimeController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(quicktime::identifier), QString::fromLatin1(quicktime::scanKey),
                QString::fromLatin1(quicktime::displayName));
    setCategories(quicktime::categories());
    setTraceTable(quicktime::traceRows());
    setCleaningHandler(&QuickTimeController::cleanQuickTime);
}

void QuickTimeController::cleanQuickTime(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

MasterPrefsViewController *QuickTimeController::createPane()
{
    return new QuickTimePrefsViewController;
}
