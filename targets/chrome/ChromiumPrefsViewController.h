#pragma once

#include "targets/chromium/ChromiumLayoutPrefsViewController.h"

class ChromiumPrefsViewController : public ChromiumLayoutPrefsViewController
{
    Q_OBJECT
public:
    explicit ChromiumPrefsViewController(QObject *parent = nullptr);
};
