#pragma once

#include "ui/wizard/WizardPageController.h"

// The assistant's program settings. Older systems get two of these pages, the first with
// the secure-removal settings and the second with tips, sound effects and animations;
// newer ones one page with all of them.
class WizardSettingsViewController : public WizardPageController
{
    Q_OBJECT
public:
    enum class Part { All, SecureRemoval, Effects };

    explicit WizardSettingsViewController(Part part = Part::All, QObject *parent = nullptr);

    Part part() const { return m_part; }

private:
    Part m_part;
};
