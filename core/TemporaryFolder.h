#pragma once

#include <QString>
#include <QStringList>

// The private folder "Nimbrel" inside the per-user temporary directory, where items are set
// aside before they are destroyed. It must stay private: it is made with mode 0700, and a
// folder of that name that is a symbolic link, not a folder or not the user's own is never
// used. An item on another file system is set aside in a private folder of the same kind on
// its own file system, so that setting aside is always a rename. Each of those is recorded in
// the settings before it is made, so that the launch check finds what a kill left there; all
// are made when an item first needs one and removed once empty.
class TemporaryFolder
{
public:
    // <temporary directory>/Nimbrel, without a trailing slash.
    static QString path();

    // Makes the folder when it is missing (and our own temporary directory ~/.nimbrel-tmp
    // that holds it, without TMPDIR). True when it is a real folder owned by the user, closed
    // to everybody else.
    static bool ensurePrivate();
    // The same for any folder meant to hold items set aside.
    static bool ensurePrivateFolder(const QString &folder);

    // The private folder, made when missing, where the item at `itemPath` is set aside: on
    // the item's own file system. Empty when there is no such folder that passes the checks.
    static QString asideFolderFor(const QString &itemPath);

    // Moves the item at `itemPath` into the aside folder under a new globally unique name,
    // first clearing its immutable flag and, when it is not writable, giving it owner-only
    // permissions. Never replaces an existing item and never copies. Answers the new path, or
    // an empty string when the item is missing or could not be moved; an item with no aside
    // folder on its file system is not touched at all.
    static QString moveItemAside(const QString &itemPath);

    // Every folder items may have been set aside in that is there and passes the checks
    // (a real folder of the user's, not a link): this one and the others recorded.
    static QStringList setAsideFolders();
    // Removes those that hold nothing, and our own temporary directory when it is left
    // empty; the record forgets what was removed.
    static void removeEmptyFolders();
    // Removes every set-aside folder with all it holds. False when there was none or one of
    // them could not be removed.
    static bool removeAllFolders();
};
