#pragma once

#include "targets/base/MasterPrefsViewController.h"

class PreviewPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit PreviewPrefsViewController(QObject *parent = nullptr);
};
