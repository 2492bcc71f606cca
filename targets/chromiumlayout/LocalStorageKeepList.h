#pragma once

#include <QString>
#include <QStringList>

#include <functional>

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
    // records and a scan never opens it; otherwise the folder is walked to every depth (links are not entered) for an
    // entry, file or folder, that is not kept. A missing, unreadable or empty folder has nothing to offer; nor has a
    // folder that is itself a link, or whose store is a link or no folder.
    static bool holdsEntryToRemove(const QString &folder, const QStringList &prefixes);

    // The clean: moves every entry that is not kept into a new private folder in the aside
    // folder and exchanges the store for a new one holding the kept origins' records (with
    // the old store's owner, group and modes), the old store landing in that folder. The
    // kept entries never leave the folder, so no kill strands them where the next launch's
    // sweep would remove them; a step that fails puts back what moved, and what cannot be put
    // back stays where it is. Answers the private folder, for the removal engine; empty when
    // the clean did not go through (the folder or its store is a link, the store cannot be
    // read or replaced, an entry could not be set aside). Nothing kept: the folder goes whole.
    static QString setAside(const FileController &files, const QString &folder, const QStringList &prefixes);

    // Tests only: runs after each change the clean makes on disk (the moments a kill may
    // come), on the cleaning thread.
    static void setStepHook(std::function<void()> hook);
};
