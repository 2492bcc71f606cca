#pragma once

#include "ui/wizard/WizardPageController.h"

class WizardWelcomeViewController : public WizardPageController
{
    Q_OBJECT
public:
    explicit WizardWelcomeViewController(QObject *parent = nullptr);
};
