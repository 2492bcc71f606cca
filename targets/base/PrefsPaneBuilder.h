#pragma once

#include "targets/base/PaneSwitches.h"

#include <QString>

class QCheckBox;
class QWidget;

// Makes every module's settings view from its table of switches: the master check box and,
// indented below it, one check box per category key. Each check box is named after the key
// it edits and is bound both ways to the standard user defaults.
class PrefsPaneBuilder
{
public:
    static QWidget *buildView(const QString &nibName, const PaneSwitches &switches);

    // Keeps a check box and a boolean default in step: a click stores the value, a change of
    // the default (from anywhere, on any thread) moves the check box.
    static void bind(QCheckBox *box, const QString &key);
};
