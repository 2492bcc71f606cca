#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The private folder "Nimbrel" inside the per-user temporary directory, where items are set
// aside before they are destroyed. It must stay private: it is opened once, and used only
// when that descriptor is a real folder of the user's with mode 0700; items go in by a rename
// relative to it. A temporary directory that others may write in without the sticky bit, or
// that anybody but the user or root owns (or below such a folder), is not used: the home's
// own ~/.nimbrel-tmp is, as without TMPDIR. TMPDIR's links are followed once per run.
// An item on another file system is set aside in a private folder of the same kind on its
// own file system, so that setting aside is always a rename; the folders on the way to it pass
// the same test, checked as each is opened. Every such folder is recorded in
// the settings before it is made and carries a marker file holding an id the settings also
// hold: the launch check sweeps only a folder whose canonical path is recorded, that bears
// our exact name and whose marker matches.
class TemporaryFolder
{
public:
    // <temporary directory>/Nimbrel, without a trailing slash, its folders resolved.
    static QString path();

    // Makes the folder when it is missing (with its marker, and our own temporary directory
    // ~/.nimbrel-tmp that holds it when that is the one used). True when it is a real folder
    // owned by the user, closed to everybody else.
    static bool ensurePrivate();
    // The same for any folder meant to hold items set aside. An existing folder without our
    // marker is taken only when it is empty or already closed to everybody else.
    static bool ensurePrivateFolder(const QString &folder);

    // The private folder, made when missing, where the item at `itemPath` is set aside: on
    // the item's own file system. Empty when there is no such folder that passes the checks.
    static QString asideFolderFor(const QString &itemPath);
    // The same, opened: the descriptor of the checked folder (the caller closes it), or -1.
    static int openAsideFolderFor(const QString &itemPath, QString *folderPath);

    // Moves the item at `itemPath` into the aside folder under a new globally unique name,
    // first clearing its immutable flag and, when it is not writable, giving it owner-only
    // permissions. An item that this user could not then remove as a whole (something inside
    // it another user's, or immutable; with secure removal on, a file that cannot be
    // overwritten) is left exactly as it was. Never replaces an existing item and never
    // copies. Answers the new path, or an empty string when the item stays where it was.
    static QString moveItemAside(const QString &itemPath);
    // The same move into the open folder `folderFd` under `name`. False: left in place.
    static bool moveItemInto(int folderFd, const QString &itemPath, const QString &name);

    // Every folder items may have been set aside in that passes the checks: this one and the
    // others recorded. A recorded path that is there but fails them is dropped from the record.
    static QStringList setAsideFolders();
    // What lies in those folders (files and folders alike, the marker apart), but for what an
    // earlier sweep could not remove: that is never offered again.
    static QStringList leftovers();
    // The same entries, each handed to `visit` with the checked, open folder it lies in, its
    // name there and its path (for messages only).
    static void
    visitLeftovers(const std::function<void(int folderFd, const QByteArray &name, const QString &entry)> &visit);
    // The set-aside folder directly holding the item at `asidePath` (the path a move aside
    // answered), opened and checked as the sweep opens it, and the item's name in it: work on
    // the moved copy goes through that descriptor. -1 when that folder is not one of ours.
    static int openFolderHolding(const QString &asidePath, QByteArray *name);
    // Removes those that hold nothing, and our own temporary directory when it is left
    // empty; the record forgets what was removed.
    static void removeEmptyFolders();

    struct SweepResult
    {
        bool removed = false; // something was there, and all of it went
        QStringList left;     // "<entry>: <why>" for each entry that stayed
    };
    // Hands every leftover to `remove` as its name in the checked, open folder holding it,
    // then removes the folders left empty. What stays is recorded and never offered again.
    using Remove = std::function<bool(int folderFd, const QByteArray &name)>;
    static SweepResult removeAllFolders(const Remove &remove, bool overwrite);

    // Tests only: runs each time a set-aside folder has passed its checks, before it is used
    // (the moment another user's swap would fall in). Any thread.
    static void setAfterCheckHook(std::function<void(const QString &folder)> hook);
};
