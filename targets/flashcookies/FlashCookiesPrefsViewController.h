#pragma once

#include "targets/base/MasterPrefsViewController.h"

class FlashCookiesPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit FlashCookiesPrefsViewController(QObject *parent = nullptr);
};
