#include "targets/flashcookies/FlashCookiesController.h"

#include "platform/files/FileManager.h"
#include "targets/flashcookies/FlashCookiesPrefsViewController.h"
#include "targets/flashcookies/FlashCookiesTraceTable.h"

FlashCookiesController::FlashCookiesController(QObject *parent)
    : ModuleController(parent)
{
    setIdentity(QString::fromLatin1(flashcookies::identifier), QString::fromLatin1(flashcookies::scanKey),
                QString::fromLatin1(flashcookies::displayName));
    setCategories(flashcookies::categories());
    setTraceTable(flashcookies::traceRows());
    setCleaningHandler(&FlashCookiesController::cleanFlashCookies);
}

void FlashCookiesController::cleanFlashCookies(const platform::Notification &request)
{
    dispatchCleaningRequest(request);
}

bool FlashCookiesController::targetExists()
{
    using platform::FileManager;
    return FileManager::defaultManager().fileExistsAtPath(
        tracepaths::join(FileManager::homeDirectory(), QString::fromLatin1(flashcookies::playerFolder)));
}

MasterPrefsViewController *FlashCookiesController::createPane()
{
    return new FlashCookiesPrefsViewController;
}
