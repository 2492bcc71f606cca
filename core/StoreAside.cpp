#include "core/StoreAside.h"

#include "core/TemporaryFolder.h"
#include "platform/files/FileManager.h"
#include "platform/system/ProcessInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // The side files go first: stopped half-way, a -wal already waits where the launch check
    // sweeps, and is never left beside a name whose store went on without it.
    return moveTogether(sides + QStringList{path});
}

QString StoreAside::moveTogether(const QStringList &paths)
{
    const FileManager &fm = FileManager::defaultManager();
    if (paths.isEmpty())
        return {};
    QString folder;
    const int folderFd = TemporaryFolder::openAsideFolderFor(paths.first(), &folder);
    if (folderFd < 0)
        return {};
    // One private folder for the items, made and entered through the checked descriptor of
    // the aside folder.
    const QString itemName = platform::ProcessInfo::processInfo().globallyUniqueString();
    const QByteArray itemBytes = platform::encodePath(itemName);
    const int itemFd = mkdirat(folderFd, itemBytes.constData(), 0700) == 0
        ? openat(folderFd, itemBytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
        : -1;
    if (itemFd < 0) {
        unlinkat(folderFd, itemBytes.constData(), AT_REMOVEDIR);
        close(folderFd);
        return {};
    }

    QStringList moved;
    auto finish = [&](bool ok) {
        ok = ok && !moved.isEmpty();
        for (auto it = moved.crbegin(); !ok && it != moved.crend(); ++it)
            renameat(itemFd, platform::encodePath(nameOf(*it)).constData(), AT_FDCWD,
                     platform::encodePath(*it).constData());
        close(itemFd);
        if (!ok)
            unlinkat(folderFd, itemBytes.constData(), AT_REMOVEDIR); // only when emptied again
        close(folderFd);
        return ok ? folder + QLatin1Char('/') + itemName : QString();
    };
    for (const QString &from : paths) {
        if (!fm.attributesOfItemAtPath(from))
            continue; // gone since it was seen: SQLite removes a -journal when it commits
        if (!TemporaryFolder::moveItemInto(itemFd, from, nameOf(from)))
            return finish(false);
        moved.append(from);
    }
    return finish(true);
}
