#pragma once

#include "ui/wizard/WizardPageController.h"

class WizardCleaningViewController : public WizardPageController
{
    Q_OBJECT
public:
    explicit WizardCleaningViewController(QObject *parent = nullptr);
};
