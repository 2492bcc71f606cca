#pragma once

#include "targets/base/ModuleController.h"

// The Flash Player's shared objects and its per-site settings folder. No application stands
// behind it: it counts as installed while the player's folder exists in the home folder.
class FlashCookiesController : public ModuleController
{
    Q_OBJECT
public:
    explicit FlashCookiesController(QObject *parent = nullptr);

    // Handler of "CleanFlash Cookies".
    void cleanFlashCookies(const platform::Notification &request);

    // Anything at ~/Library/Preferences/Macromedia/Flash Player.
    bool targetExists() override;

protected:
    MasterPrefsViewController *createPane() override;
};
