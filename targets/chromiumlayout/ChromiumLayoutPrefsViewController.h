#pragma once

#include "targets/base/MasterPrefsViewController.h"
#include "targets/chromiumlayout/ChromiumSwitches.h"

// What a Chromium-layout module's pane shows and registers.
struct ChromiumPane
{
    QString nibName;    // "ChromePrefsView"
    QString appName;    // "Chrome": the title is "Chrome Settings"
    QString identifier; // the module's identifier
    ChromiumSwitches switches;
};

// The settings pane of a Chromium-layout module: "<name> Settings", its identifier, one check
// box per switch, and the pane's own defaults registered when it is made.
class ChromiumLayoutPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
protected:
    explicit ChromiumLayoutPrefsViewController(const ChromiumPane &pane, QObject *parent = nullptr);
};
