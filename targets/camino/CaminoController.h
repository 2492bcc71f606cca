#pragma once

#include "targets/base/ModuleController.h"

// Camino's traces: history and cookies kept as rows of its SQLite stores (cleaned in place),
// and its cache, download list, session files, saved window state, icons and web storage.
class CaminoController : public ModuleController
{
    Q_OBJECT
public:
    explicit CaminoController(QObject *parent = nullptr);

    // Handler of "CleanCamino".
    void cleanCamino(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
