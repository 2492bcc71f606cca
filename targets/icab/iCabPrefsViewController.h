#pragma once

#include "targets/base/MasterPrefsViewController.h"

// Registers its category names as defaults; they are spelled like the keys the module
// reads, so creating the pane gives iCab's switches their defaults (cookies off).
class iCabPrefsViewController : public MasterPrefsViewController
{
    Q_OBJECT
public:
    explicit iCabPrefsViewController(QObject *parent = nullptr);
};
