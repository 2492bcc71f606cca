#pragma once

#include "targets/chromiumlayout/ChromiumLayoutPrefsViewController.h"

class ChromiumPrefsViewController : public ChromiumLayoutPrefsViewController
{
    Q_OBJECT
public:
    explicit ChromiumPrefsViewController(QObject *parent = nullptr);
};
