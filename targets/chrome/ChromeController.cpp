#include "targets/chrome/ChromeController.h"

#include "targets/chrome/ChromePrefsViewController.h"

ChromeController::ChromeController(QObject *parent)
    : ChromeBrowserController(ChromeParameters::chrome(), parent)
{
}

MasterPrefsViewController *ChromeController::createPane()
{
    return new ChromePrefsViewController;
}
