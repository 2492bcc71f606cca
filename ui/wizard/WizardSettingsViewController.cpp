#include "ui/wizard/WizardSettingsViewController.h"

#include "ui/wizard/SettingsBindings.h"

#include "ui_WizardSettingsView.h"

WizardSettingsViewController::WizardSettingsViewController(Part part, QObject *parent)
    : WizardPageController(QStringLiteral("WizardSettingsView"), QStringLiteral("Program Settings"), parent)
    , m_part(part)
{
    QWidget *view = loadForm<Ui::WizardSettingsView>();
    if (auto *group = view->findChild<QWidget *>(QStringLiteral("secureRemovalGroup")))
        group->setVisible(part != Part::Effects);
    if (auto *group = view->findChild<QWidget *>(QStringLiteral("effectsGroup")))
        group->setVisible(part != Part::SecureRemoval);
    SettingsBindings::bindChildren(view);
}
