#include "ui/wizard/WizardWelcomeViewController.h"

#include "ui_WizardWelcomeView.h"

using namespace Qt::StringLiterals;

WizardWelcomeViewController::WizardWelcomeViewController(QObject *parent)
    : WizardPageController(u"WizardWelcomeView"_s, u"Welcome to Nimbrel!"_s, parent)
{
    loadForm<Ui::WizardWelcomeView>();
}
