#include "ui/wizard/WizardFinalViewController.h"

#include "ui_WizardFinalView.h"

WizardFinalViewController::WizardFinalViewController(QObject *parent)
    : WizardPageController(QStringLiteral("WizardFinalView"), QStringLiteral("Setup Complete!"), parent)
{
    loadForm<Ui::WizardFinalView>();
}
