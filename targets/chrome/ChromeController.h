#pragma once

#include "targets/chrome/ChromeBrowserController.h"
#include "targets/chrome/ChromePrefsViewController.h"

class ChromeController : public ChromiumLayoutModule<ChromePrefsViewController, ChromeBrowserController>
{
    Q_OBJECT
public:
    explicit ChromeController(QObject *parent = nullptr);

    // Handler of "CleanChrome".
    void cleanChrome(const platform::Notification &request) { dispatchCleaningRequest(request); }
};
