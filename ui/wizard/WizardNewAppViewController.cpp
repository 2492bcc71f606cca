#include "ui/wizard/WizardNewAppViewController.h"

#include "ui_WizardNewAppView.h"

WizardNewAppViewController::WizardNewAppViewController(QObject *parent)
    : WizardPageController(QStringLiteral("WizardNewAppView"), QStringLiteral("New Application Detected!"), parent)
{
    loadForm<Ui::WizardNewAppView>();
}
