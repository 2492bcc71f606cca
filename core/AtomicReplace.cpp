#include "core/AtomicReplace.h"

#include "core/TemporaryFolder.h"
#include "platform/ProcessInfo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::FileManager;
using platform::RegularFile;

namespace {

std::function<void()> &afterSwapHook()
{
    static std::function<void()> hook;
    return hook;
}

bool isOriginal(const QByteArray &path, const RegularFile &original)
{
    struct stat st;
    return lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_dev == original.device
           && st.st_ino == original.inode;
}

// Keeps the old contents at `aside`: a second name for the very file, or a private copy of
// what was read.
bool keepOld(const QByteArray &path, const QByteArray &aside, const RegularFile &original)
{
    if (linkat(AT_FDCWD, path.constData(), AT_FDCWD, aside.constData(), 0) == 0) {
        if (isOriginal(aside, original))
            return true;
        unlink(aside.constData()); // swapped since it was read
        return false;
    }
    const int fd = open(aside.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const char *p = original.data.constData();
    qsizetype left = original.data.size();
    bool ok = true;
    while (ok && left > 0) {
        const ssize_t n = write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        p += n > 0 ? n : 0;
        left -= n > 0 ? n : 0;
    }
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok)
        unlink(aside.constData());
    return ok;
}

} // namespace

QString AtomicReplace::replaceKeepingOld(const QString &path, const RegularFile &original,
                                         const QByteArray &data,
                                         const std::function<void()> &beforeRename, Result *result)
{
    Result ignored;
    Result &outcome = result ? *result : ignored;
    const FileManager &fm = FileManager::defaultManager();
    const QByteArray target = platform::encodePath(path);

    const QString folder = TemporaryFolder::asideFolderFor(path);
    outcome = Result::NoAside;
    if (folder.isEmpty())
        return {};
    const QString aside =
        folder + QLatin1Char('/') + platform::ProcessInfo::processInfo().globallyUniqueString();
    const QByteArray asideBytes = platform::encodePath(aside);
    if (!keepOld(target, asideBytes, original))
        return {};
    auto giveUp = [&](Result why) {
        unlink(asideBytes.constData());
        outcome = why;
        return QString();
    };

    if (beforeRename)
        beforeRename();
    const QString temp = fm.writeNewFileBeside(path, data, original.permissions);
    if (temp.isEmpty())
        return giveUp(Result::WriteFailed);
    const QByteArray tempBytes = platform::encodePath(temp);

    // Exchanged rather than renamed over: what leaves the path is checked to be the very file
    // that was read, and put back when it is not.
    if (renameat2(AT_FDCWD, tempBytes.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) == 0) {
        if (afterSwapHook())
            afterSwapHook()();
        if (!isOriginal(tempBytes, original)) {
            renameat2(AT_FDCWD, tempBytes.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE);
            unlink(tempBytes.constData());
            return giveUp(Result::Changed);
        }
    } else if ((errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) || !isOriginal(target, original)
               || rename(tempBytes.constData(), target.constData()) != 0) {
        const Result why = isOriginal(target, original) ? Result::WriteFailed : Result::Changed;
        unlink(tempBytes.constData());
        return giveUp(why);
    }
    unlink(tempBytes.constData()); // the old file's name beside it; its contents are aside
    fm.syncFolderOf(path);
    outcome = Result::Replaced;
    return aside;
}

void AtomicReplace::setAfterSwapHook(std::function<void()> hook)
{
    afterSwapHook() = std::move(hook);
}
