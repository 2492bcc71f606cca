#pragma once

#include <QString>
#include <QStringList>

// What tells Chrome and Chromium apart: the module is the same, only these names and folders
// differ. Folders are relative to the home folder.
struct ChromeParameters
{
    QString identifier;       // bundle identifier, also the pane's identifier
    QString name;             // display name: item names, "Clean<name>", "scan<name>"
    QString nibName;          // the pane's interface file
    QString profile;          // the profile folder
    QString cache;            // the cache folder
    QStringList keptPrefixes; // Local Storage entries that stay

    static ChromeParameters chrome();
    static ChromeParameters chromium();
};
