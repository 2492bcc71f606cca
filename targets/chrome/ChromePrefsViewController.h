#pragma once

#include "targets/chromiumlayout/ChromiumLayoutPrefsViewController.h"

class ChromePrefsViewController : public ChromiumLayoutPrefsViewController
{
    Q_OBJECT
public:
    explicit ChromePrefsViewController(QObject *parent = nullptr);
};
