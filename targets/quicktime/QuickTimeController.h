#pragma once

#include "targets/base/ModuleController.h"

// QuickTime Player's traces; its table says everything, the recent-documents rewrite included.
class QuickTimeController : public ModuleController
{
    Q_OBJECT
public:
    explicit QuickTimeController(QObject *parent = nullptr);

    // Handler of "CleanQuickTime".
    void cleanQuickTime(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
