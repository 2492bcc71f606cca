#pragma once

#include "targets/base/MasterPrefsViewController.h"

using namespace Qt::StringLiterals;

// A settings pane for the stand-in modules the tests install.
class StandInPane : public MasterPrefsViewController
{
public:
    StandInPane(const QString &title, const QString &identifier, const PaneSwitches &switches)
        : MasterPrefsViewController(u"StandInPrefsView"_s, switches)
    {
        setTitle(title);
        setIdentifier(identifier);
    }
};
