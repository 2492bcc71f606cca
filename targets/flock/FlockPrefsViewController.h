#pragma once

#include "targets/chromiumlayout/ChromiumLayoutPrefsViewController.h"

class FlockPrefsViewController : public ChromiumLayoutPrefsViewController
{
    Q_OBJECT
public:
    explicit FlockPrefsViewController(QObject *parent = nullptr);
};
