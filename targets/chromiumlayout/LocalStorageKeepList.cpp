#include "targets/chromiumlayout/LocalStorageKeepList.h"

#include "platform/FileManager.h"

bool LocalStorageKeepList::isKept(const QString &name, const QStringList &prefixes)
{
    for (const QString &prefix : prefixes) {
        if (name.startsWith(prefix))
            return true;
    }
    return false;
}

bool LocalStorageKeepList::holdsEntryToRemove(const QString &folder, const QStringList &prefixes)
{
    if (folder.isEmpty())
        return false;
    const QStringList entries = platform::FileManager::defaultManager().enumeratorAtPath(folder);
    for (const QString &relative : entries) {
        // The entry's own name, whatever folder it lies in.
        if (!isKept(relative.section(QLatin1Char('/'), -1), prefixes))
            return true;
    }
    return false;
}
