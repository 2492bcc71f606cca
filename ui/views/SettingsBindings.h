#pragma once

class QWidget;

// Binds the program-settings controls of a form to the standard user defaults, both ways,
// by their object names, which are the settings' keys: check boxes named after the secure
// removal, tips, sound or animation switch; a combo box named after the secure level (its
// index is the level) and radio buttons named after it with "_0" ... "_2". The level controls
// are enabled only while secure removal is on. Used by the settings window, its advanced
// options and the assistant's settings pages.
class SettingsBindings
{
public:
    static void bindChildren(QWidget *form);
};
