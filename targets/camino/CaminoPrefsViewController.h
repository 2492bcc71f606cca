#pragma once

#include "targets/base/MasterPrefsViewController.h"

class CaminoPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit CaminoPrefsViewController(QObject *parent = nullptr);
};
