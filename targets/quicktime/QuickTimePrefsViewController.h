#pragma once

#include "targets/base/MasterPrefsViewController.h"

class QuickTimePrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit QuickTimePrefsViewController(QObject *parent = nullptr);
};
