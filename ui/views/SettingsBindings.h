#pragma once

class QString;
class QWidget;

// Binds the program-settings controls of a form to the standard user defaults, both ways,
// by their object names, which are the settings' keys: check boxes named after a setting
// whose row in the settings table says it is shown as a check box; a combo box named after the secure level (its
// index is the level) and radio buttons named after it with "_0" ... "_2". The level controls
// are enabled only while secure removal is on. Used by the settings window, its advanced
// options and the assistant's settings pages.
class SettingsBindings
{
public:
    static void bindChildren(QWidget *form);
    // Whether a check box of that object name is bound to a setting.
    static bool isBoundCheckBox(const QString &name);
};
