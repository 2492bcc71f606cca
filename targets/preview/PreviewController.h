#pragma once

#include "targets/base/ModuleController.h"

// Preview's traces; its table says everything, the recent-documents rewrite included.
class PreviewController : public ModuleController
{
    Q_OBJECT
public:
    explicit PreviewController(QObject *parent = nullptr);

    // Handler of "CleanPreview".
    void cleanPreview(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
