#include "targets/chromiumlayout/EntrySweep.h"

#include "platform/files/FileManager.h"
#include "targets/base/TraceTable.h"

namespace {

bool isRegularFile(const QString &path)
{
    const auto attributes = platform::FileManager::defaultManager().attributesOfItemAtPath(path);
    return attributes && attributes->isRegularFile;
}

} // namespace

EntrySweep::EntrySweep(const QString &pattern)
    : m_pattern(QRegularExpression::anchoredPattern(pattern))
{}

bool EntrySweep::isEntryName(const QString &name) const
{
    return m_pattern.match(name).hasMatch();
}

QStringList EntrySweep::entriesIn(const QString &folder) const
{
    QStringList paths;
    if (folder.isEmpty())
        return paths;
    const QStringList names = platform::FileManager::defaultManager().contentsOfDirectoryAtPath(folder);
    for (const QString &name : names) {
        const QString path = tracepaths::join(folder, name);
        if (isEntryName(name) && isRegularFile(path))
            paths.append(path);
    }
    return paths;
}

bool EntrySweep::isEntryOf(const QString &folder, const QString &path) const
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (folder.isEmpty() || slash < 0)
        return false;
    const QString name = path.mid(slash + 1);
    return isEntryName(name) && tracepaths::join(folder, name) == path && isRegularFile(path);
}
