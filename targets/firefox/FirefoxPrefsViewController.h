#pragma once

#include "targets/base/MasterPrefsViewController.h"

class FirefoxPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit FirefoxPrefsViewController(QObject *parent = nullptr);
};
