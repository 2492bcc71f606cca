#pragma once

#include "targets/base/MasterPrefsViewController.h"

// A settings pane for the stand-in modules the tests install.
class StandInPane : public MasterPrefsViewController
{
public:
    StandInPane(const QString &title, const QString &identifier, const PaneSwitches &switches)
        : MasterPrefsViewController(QStringLiteral("StandInPrefsView"), switches)
    {
        setTitle(title);
        setIdentifier(identifier);
    }
};
