#include "targets/chromiumlayout/HistoryIndexSweep.h"

#include "platform/FileManager.h"
#include "targets/base/TraceTable.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

bool HistoryIndexSweep::isIndexName(const QString &name)
{
    // The browser names one index per month and SQLite its journal; nothing else a user
    // keeps in the profile under a name that starts the same way.
    static const QRegularExpression pattern(u"\\AHistory Index [0-9]{4}-[0-9]{2}(-journal)?\\z"_s);
    return pattern.match(name).hasMatch();
}

bool HistoryIndexSweep::isIndexFile(const QString &path)
{
    const auto attributes = platform::FileManager::defaultManager().attributesOfItemAtPath(path);
    return attributes && attributes->isRegularFile;
}

QStringList HistoryIndexSweep::entriesIn(const QString &profileFolder)
{
    QStringList paths;
    if (profileFolder.isEmpty())
        return paths;
    const QStringList names = platform::FileManager::defaultManager().contentsOfDirectoryAtPath(profileFolder);
    for (const QString &name : names) {
        const QString path = tracepaths::join(profileFolder, name);
        if (isIndexName(name) && isIndexFile(path))
            paths.append(path);
    }
    return paths;
}

bool HistoryIndexSweep::isEntryOf(const QString &profileFolder, const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (profileFolder.isEmpty() || slash < 0)
        return false;
    const QString name = path.mid(slash + 1);
    return isIndexName(name) && tracepaths::join(profileFolder, name) == path && isIndexFile(path);
}
