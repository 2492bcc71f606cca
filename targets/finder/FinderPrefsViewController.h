#pragma once

#include "targets/base/MasterPrefsViewController.h"

class FinderPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit FinderPrefsViewController(QObject *parent = nullptr);
};
