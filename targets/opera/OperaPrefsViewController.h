#pragma once

#include "targets/chromiumlayout/ChromiumLayoutPrefsViewController.h"

class OperaPrefsViewController : public ChromiumLayoutPrefsViewController
{
    Q_OBJECT
public:
    explicit OperaPrefsViewController(QObject *parent = nullptr);
};
