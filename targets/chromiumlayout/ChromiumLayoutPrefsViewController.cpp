#include "targets/chromiumlayout/ChromiumLayoutPrefsViewController.h"

#include "platform/system/UserDefaults.h"

using namespace Qt::StringLiterals;

ChromiumLayoutPrefsViewController::ChromiumLayoutPrefsViewController(const ChromiumPane &pane, QObject *parent)
    : MasterPrefsViewController(pane.nibName, pane.switches.paneSwitches(), parent)
{
    setTitle(pane.appName + u" Settings"_s);
    setIdentifier(pane.identifier);
    platform::UserDefaults::standardUserDefaults().registerDefaults(pane.switches.paneDefaults());
}
