#include "targets/chrome/ChromePrefsViewController.h"

#include "targets/chrome/ChromeBrowserController.h"

ChromePrefsViewController::ChromePrefsViewController(QObject *parent)
    : ChromiumLayoutPrefsViewController(ChromeBrowserController::paneOf(ChromeParameters::chrome()), parent)
{}
