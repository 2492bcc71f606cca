#pragma once

#include "targets/base/MasterPrefsViewController.h"

class SafariPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit SafariPrefsViewController(QObject *parent = nullptr);
};
