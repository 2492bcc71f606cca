#include "ui/wizard/WizardWelcomeViewController.h"

#include "ui_WizardWelcomeView.h"

WizardWelcomeViewController::WizardWelcomeViewController(QObject *parent)
    : WizardPageController(QStringLiteral("WizardWelcomeView"), QStringLiteral("Welcome to Nimbrel!"), parent)
{
    loadForm<Ui::WizardWelcomeView>();
}
