#include "ui/wizard/WizardSettingsViewController.h"

#include "ui/views/SettingsBindings.h"

#include "ui_WizardSettingsView.h"

using namespace Qt::StringLiterals;

WizardSettingsViewController::WizardSettingsViewController(Part part, QObject *parent)
    : WizardPageController(u"WizardSettingsView"_s, u"Program Settings"_s, parent)
    , m_part(part)
{
    QWidget *view = loadForm<Ui::WizardSettingsView>();
    if (auto *group = view->findChild<QWidget *>(u"secureRemovalGroup"_s))
        group->setVisible(part != Part::Effects);
    if (auto *group = view->findChild<QWidget *>(u"effectsGroup"_s))
        group->setVisible(part != Part::SecureRemoval);
    SettingsBindings::bindChildren(view);
}
