#pragma once

#include "targets/base/ModuleController.h"

// OmniWeb 5's traces: history and its two index files, cache, cookies, web page icons, and
// the download history and form values kept as two keys of its preferences.
class OmniWebController : public ModuleController
{
    Q_OBJECT
public:
    explicit OmniWebController(QObject *parent = nullptr);

    // Handler of "CleanOmniWeb".
    void cleanOmniWeb(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
