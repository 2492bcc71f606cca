#include "targets/chrome/ChromiumController.h"

#include "targets/chrome/ChromiumPrefsViewController.h"

ChromiumController::ChromiumController(QObject *parent)
    : ChromeBrowserController(ChromeParameters::chromium(), parent)
{
}

MasterPrefsViewController *ChromiumController::createPane()
{
    return new ChromiumPrefsViewController;
}
