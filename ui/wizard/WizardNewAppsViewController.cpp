#include "ui/wizard/WizardNewAppsViewController.h"

#include "ui_WizardNewAppsView.h"

using namespace Qt::StringLiterals;

WizardNewAppsViewController::WizardNewAppsViewController(QObject *parent)
    : WizardPageController(u"WizardNewAppsView"_s, u"New Applications Detected!"_s, parent)
{
    loadForm<Ui::WizardNewAppsView>();
}
