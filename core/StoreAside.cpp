#include "core/StoreAside.h"

#include "core/TemporaryFolder.h"
#include "platform/FileManager.h"
#include "platform/ProcessInfo.h"

#include <utility>

using platform::FileManager;

namespace {

QString nameOf(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

QStringList StoreAside::sideFilesOf(const QString &path)
{
    QStringList sides;
    for (const char *suffix : {"-wal", "-journal", "-shm"}) {
        const QString side = path + QLatin1String(suffix);
        if (FileManager::defaultManager().attributesOfItemAtPath(side))
            sides.append(side);
    }
    return sides;
}

QString StoreAside::moveAside(const QString &path)
{
    const FileManager &fm = FileManager::defaultManager();
    const auto attributes = path.isEmpty() ? std::nullopt : fm.attributesOfItemAtPath(path);
    const QStringList sides = attributes && attributes->isRegularFile ? sideFilesOf(path) : QStringList();
    if (sides.isEmpty())
        return TemporaryFolder::moveItemAside(path);

    const QString folder = TemporaryFolder::asideFolderFor(path);
    if (folder.isEmpty())
        return {};
    const QString item = folder + QLatin1Char('/') + platform::ProcessInfo::processInfo().globallyUniqueString();
    if (!fm.createDirectoryAtPath(item, 0700))
        return {};

    // The side files go first: stopped half-way, a -wal already waits where the launch check
    // sweeps, and is never left beside a name whose store went on without it.
    QList<std::pair<QString, QString>> moved; // from, to
    auto putBack = [&] {
        for (auto it = moved.crbegin(); it != moved.crend(); ++it)
            fm.renameItemAtPath(it->second, it->first);
        if (fm.contentsOfDirectoryAtPath(item).isEmpty())
            fm.removeItemAtPath(item);
        return QString();
    };
    for (const QString &from : sides + QStringList{path}) {
        if (from != path && !fm.attributesOfItemAtPath(from))
            continue; // gone since it was seen: SQLite removes a -journal when it commits
        const QString aside = TemporaryFolder::moveItemAside(from);
        if (aside.isEmpty())
            return putBack();
        const QString to = item + QLatin1Char('/') + nameOf(from);
        if (!fm.renameItemAtPath(aside, to)) {
            fm.renameItemAtPath(aside, from);
            return putBack();
        }
        moved.append({from, to});
    }
    return item;
}
