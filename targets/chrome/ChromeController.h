#pragma once

#include "targets/chrome/ChromeBrowserController.h"

class ChromeController : public ChromeBrowserController
{
    Q_OBJECT
public:
    explicit ChromeController(QObject *parent = nullptr);

    // Handler of "CleanChrome".
    void cleanChrome(const platform::Notification &request) { dispatchCleaningRequest(request); }

protected:
    MasterPrefsViewController *createPane() override;
};
