#pragma once

#include <QString>

// The private folder "Nimbrel" inside the per-user temporary directory, where items are set
// aside before they are destroyed. It must stay private: it is made with mode 0700, and a
// folder of that name that is a symbolic link, not a folder or not the user's own is never
// used.
class TemporaryFolder
{
public:
    // <temporary directory>/Nimbrel, without a trailing slash.
    static QString path();

    // Makes the folder when it is missing. True when it is a real folder owned by the user,
    // closed to everybody else.
    static bool ensurePrivate();

    // Moves the item at `itemPath` into the folder under a new globally unique name, first
    // clearing its immutable flag and, when it is not writable, giving it owner-only
    // permissions. Never replaces an existing item. Answers the new path, or an empty string
    // when the item is missing or could not be moved.
    static QString moveItemAside(const QString &itemPath);
};
