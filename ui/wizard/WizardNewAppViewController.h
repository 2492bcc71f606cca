#pragma once

#include "ui/wizard/WizardPageController.h"

class WizardNewAppViewController : public WizardPageController
{
    Q_OBJECT
public:
    explicit WizardNewAppViewController(QObject *parent = nullptr);
};
