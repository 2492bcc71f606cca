#include "ui/wizard/WizardNewAppsViewController.h"

#include "ui_WizardNewAppsView.h"

WizardNewAppsViewController::WizardNewAppsViewController(QObject *parent)
    : WizardPageController(QStringLiteral("WizardNewAppsView"), QStringLiteral("New Applications Detected!"), parent)
{
    loadForm<Ui::WizardNewAppsView>();
}
