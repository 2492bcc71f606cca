#include "ui/wizard/WizardCleaningViewController.h"

#include "ui_WizardCleaningView.h"

using namespace Qt::StringLiterals;

WizardCleaningViewController::WizardCleaningViewController(QObject *parent)
    : WizardPageController(u"WizardCleaningView"_s, u"File Cleaning"_s, parent)
{
    loadForm<Ui::WizardCleaningView>();
}
