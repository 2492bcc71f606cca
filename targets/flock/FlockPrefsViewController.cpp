#include "targets/flock/FlockPrefsViewController.h"

#include "targets/flock/FlockController.h"

FlockPrefsViewController::FlockPrefsViewController(QObject *parent)
    : ChromiumLayoutPrefsViewController(FlockController::pane(), parent)
{}
