#pragma once

#include "targets/base/MasterPrefsViewController.h"

class OmniWebPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit OmniWebPrefsViewController(QObject *parent = nullptr);
};
