#pragma once

#include "targets/base/MasterPrefsViewController.h"

class SeaMonkeyPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit SeaMonkeyPrefsViewController(QObject *parent = nullptr);
};
