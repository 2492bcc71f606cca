#include "targets/chromiumlayout/HistoryIndexSweep.h"

#include "platform/FileManager.h"
#include "targets/base/TraceTable.h"

using namespace Qt::StringLiterals;

const QString HistoryIndexSweep::namePrefix = u"History Index"_s;

QStringList HistoryIndexSweep::entriesIn(const QString &profileFolder)
{
    QStringList paths;
    if (profileFolder.isEmpty())
        return paths;
    const QStringList names = platform::FileManager::defaultManager().contentsOfDirectoryAtPath(profileFolder);
    for (const QString &name : names) {
        if (name.startsWith(namePrefix))
            paths.append(tracepaths::join(profileFolder, name));
    }
    return paths;
}

bool HistoryIndexSweep::isEntryOf(const QString &profileFolder, const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (profileFolder.isEmpty() || slash < 0)
        return false;
    const QString name = path.mid(slash + 1);
    return name.startsWith(namePrefix) && tracepaths::join(profileFolder, name) == path;
}
