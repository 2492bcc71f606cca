#pragma once

#include "targets/chrome/ChromeBrowserController.h"
#include "targets/chromium/ChromiumPrefsViewController.h"

class ChromiumController : public ChromiumLayoutModule<ChromiumPrefsViewController, ChromeBrowserController>
{
    Q_OBJECT
public:
    explicit ChromiumController(QObject *parent = nullptr);

    // Handler of "CleanChromium".
    void cleanChromium(const platform::Notification &request) { dispatchCleaningRequest(request); }
};
