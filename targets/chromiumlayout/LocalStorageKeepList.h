#pragma once

#include <QString>
#include <QStringList>

class FileController;

// A Local Storage folder of which some storage is the browser's own (its extensions', its
// start page's) and stays, while every other site's storage goes. In the older layout each
// origin has files of its own, kept when their own name begins with one of the kept
// prefixes; the current layout keeps every origin in one store, rewritten with the kept
// origins' records only (see LocalStorageLevelDb).
class LocalStorageKeepList
{
public:
    static bool isKept(const QString &name, const QStringList &prefixes);

    // The offer test: a store (a real folder) is always offered, since it holds the sites'
    // records and a scan never opens it; otherwise the folder is walked to every depth (links are not entered) for an entry,
    // file or folder, that is not kept. A missing, unreadable or empty folder has nothing to
    // offer; nor has a folder that is itself a link, or whose store is a link or no folder.
    static bool holdsEntryToRemove(const QString &folder, const QStringList &prefixes);

    // The clean: sets the whole folder aside and puts back what stays, the kept entries and
    // a new store holding the kept origins' records (with the old store's mode). Answers the
    // folder set aside, which holds the old store and the rest, for the removal engine; empty
    // when nothing was changed (the folder or its store is a link, the store cannot be read
    // or replaced, the folder could not be set aside).
    static QString setAside(const FileController &files, const QString &folder,
                            const QStringList &prefixes);
};
