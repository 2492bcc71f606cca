#include "targets/chromiumlayout/ChromiumLayoutPrefsViewController.h"

#include "platform/UserDefaults.h"

ChromiumLayoutPrefsViewController::ChromiumLayoutPrefsViewController(const ChromiumPane &pane, QObject *parent)
    : MasterPrefsViewController(pane.nibName, pane.switches.paneSwitches(), parent)
{
    setTitle(pane.appName + QStringLiteral(" Settings"));
    setIdentifier(pane.identifier);
    platform::UserDefaults::standardUserDefaults().registerDefaults(pane.switches.paneDefaults());
}
