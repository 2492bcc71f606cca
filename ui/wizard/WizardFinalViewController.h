#pragma once

#include "ui/wizard/WizardPageController.h"

class WizardFinalViewController : public WizardPageController
{
    Q_OBJECT
public:
    explicit WizardFinalViewController(QObject *parent = nullptr);
};
