#pragma once

#include "targets/base/MasterPrefsViewController.h"

class ShiiraPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit ShiiraPrefsViewController(QObject *parent = nullptr);
};
