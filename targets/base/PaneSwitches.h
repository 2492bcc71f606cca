#pragma once

#include <QList>
#include <QString>

// The switches a module's pane shows: the master switch (the module's scanString key) and
// one switch per category key that the module reads, in the module's order.
struct PaneSwitch
{
    QString key;
    QString label;
};

struct PaneSwitches
{
    PaneSwitch master;
    QList<PaneSwitch> categories;
};
