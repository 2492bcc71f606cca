#include "ui/wizard/WizardFinalViewController.h"

#include "ui_WizardFinalView.h"

using namespace Qt::StringLiterals;

WizardFinalViewController::WizardFinalViewController(QObject *parent)
    : WizardPageController(u"WizardFinalView"_s, u"Setup Complete!"_s, parent)
{
    loadForm<Ui::WizardFinalView>();
}
