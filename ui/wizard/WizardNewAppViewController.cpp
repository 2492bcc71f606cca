#include "ui/wizard/WizardNewAppViewController.h"

#include "ui_WizardNewAppView.h"

using namespace Qt::StringLiterals;

WizardNewAppViewController::WizardNewAppViewController(QObject *parent)
    : WizardPageController(u"WizardNewAppView"_s, u"New Application Detected!"_s, parent)
{
    loadForm<Ui::WizardNewAppView>();
}
