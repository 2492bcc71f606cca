#pragma once

#include "ui/wizard/WizardPageController.h"

class WizardNewAppsViewController : public WizardPageController
{
    Q_OBJECT
public:
    explicit WizardNewAppsViewController(QObject *parent = nullptr);
};
