#include "targets/chromium/ChromiumPrefsViewController.h"

#include "targets/chrome/ChromeBrowserController.h"

ChromiumPrefsViewController::ChromiumPrefsViewController(QObject *parent)
    : ChromiumLayoutPrefsViewController(ChromeBrowserController::paneOf(ChromeParameters::chromium()), parent)
{}
