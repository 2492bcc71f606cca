#pragma once

#include "targets/base/ModuleController.h"

// Safari's traces: history, caches, cookies, downloads, form values, last session, recent
// searches kept in its preferences, top sites, web page icons and web storage.
class SafariController : public ModuleController
{
    Q_OBJECT
public:
    explicit SafariController(QObject *parent = nullptr);

    // Handler of "CleanSafari".
    void cleanSafari(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
