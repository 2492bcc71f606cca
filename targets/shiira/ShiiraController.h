#pragma once

#include "targets/base/ModuleController.h"

// Shiira's traces: history, cache, the cookie file it shares with Safari, the download list
// in its Core Data store, the last open pages kept in its preferences, its saved windows and
// web page icons.
class ShiiraController : public ModuleController
{
    Q_OBJECT
public:
    explicit ShiiraController(QObject *parent = nullptr);

    // Handler of "CleanShiira".
    void cleanShiira(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
