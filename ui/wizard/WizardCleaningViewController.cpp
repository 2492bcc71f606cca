#include "ui/wizard/WizardCleaningViewController.h"

#include "ui_WizardCleaningView.h"

WizardCleaningViewController::WizardCleaningViewController(QObject *parent)
    : WizardPageController(QStringLiteral("WizardCleaningView"), QStringLiteral("File Cleaning"), parent)
{
    loadForm<Ui::WizardCleaningView>();
}
