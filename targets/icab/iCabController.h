#pragma once

#include "targets/base/ModuleController.h"

// iCab's traces: history, cache, cookies, downloads, last session and its windows, recent
// searches kept in its preferences, top sites, web page icons and DOM storage.
class iCabController : public ModuleController
{
    Q_OBJECT
public:
    explicit iCabController(QObject *parent = nullptr);

    // Handler of "CleaniCab".
    void cleaniCab(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
