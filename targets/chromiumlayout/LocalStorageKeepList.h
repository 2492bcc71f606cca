#pragma once

#include <QString>
#include <QStringList>

// A Local Storage folder of which some entries are the browser's own (the storage of its
// extensions, of its start page) and stay, while every other site's storage goes. An entry
// is kept when its own name begins with one of the kept prefixes.
class LocalStorageKeepList
{
public:
    static bool isKept(const QString &name, const QStringList &prefixes);

    // The offer test: walks the folder to every depth (links are not entered) and answers
    // whether some entry there, file or folder, is not kept. A missing, unreadable or empty
    // folder has nothing to offer; a folder that is itself a link is not walked.
    static bool holdsEntryToRemove(const QString &folder, const QStringList &prefixes);
};
