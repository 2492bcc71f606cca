#include "targets/opera/OperaPrefsViewController.h"

#include "targets/opera/OperaController.h"

OperaPrefsViewController::OperaPrefsViewController(QObject *parent)
    : ChromiumLayoutPrefsViewController(OperaController::pane(), parent)
{}
