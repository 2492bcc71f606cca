#pragma once

#include "targets/chrome/ChromeBrowserController.h"

class ChromiumController : public ChromeBrowserController
{
    Q_OBJECT
public:
    explicit ChromiumController(QObject *parent = nullptr);

    // Handler of "CleanChromium".
    void cleanChromium(const platform::Notification &request) { dispatchCleaningRequest(request); }

protected:
    MasterPrefsViewController *createPane() override;
};
