#pragma once

class QWidget;

// Binds the program-settings controls of a form to the standard user defaults, both ways,
// by their object names: check boxes named "enableSecureDelete", "enableTips", "enableSFX"
// or "enableAnimations"; a combo box named "secureDeleteLevel" (its index is the level) and
// radio buttons named "secureDeleteLevel_0" ... "secureDeleteLevel_2". The level controls
// are enabled only while secure removal is on. Used by the settings window, its advanced
// options and the assistant's settings pages.
class SettingsBindings
{
public:
    static void bindChildren(QWidget *form);
};
