#include "core/AtomicReplace.h"

#include "core/Settings.h"
#include "core/TemporaryFolder.h"
#include "platform/ExchangeItems.h"
#include "platform/ProcessInfo.h"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using platform::ExchangeResult;
using platform::FileManager;
using platform::RegularFile;

namespace {

std::function<void()> &afterSwapHook()
{
    static std::function<void()> hook;
    return hook;
}

// How many names the very file that was read has, when `path` is still one of them.
std::optional<nlink_t> namesOfOriginal(const QByteArray &path, const RegularFile &original)
{
    struct stat st;
    if (lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_dev != original.device
        || st.st_ino != original.inode)
        return std::nullopt;
    return st.st_nlink;
}

// The file that was read, with no other name than this one: a list that gained a hard link
// since it was read is not rewritten either.
bool isOriginal(const QByteArray &path, const RegularFile &original)
{
    return namesOfOriginal(path, original) == nlink_t(1);
}

// Keeps the old contents at `aside`: a second name for the very file, or a private copy of
// what was read. Only where the file system cannot swap two names in one step.
bool keepOld(const QByteArray &path, const QByteArray &aside, const RegularFile &original)
{
    if (linkat(AT_FDCWD, path.constData(), AT_FDCWD, aside.constData(), 0) == 0) {
        if (namesOfOriginal(aside, original) == nlink_t(2))
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

// With secure removal on, the old contents are overwritten once set aside: a list this user
// could not overwrite (another user's, not writable) is not rewritten at all, or its old
// contents would stay readable in the aside folder.
bool oldCopyCanBeOverwritten(const QByteArray &path, const RegularFile &original)
{
    if (!Settings::boolValue(Settings::Key::EnableSecureDelete))
        return true;
    return geteuid() == 0 || original.owner == geteuid() || faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0;
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

    outcome = Result::NotOverwritable;
    if (!oldCopyCanBeOverwritten(target, original))
        return {};
    const QString folder = TemporaryFolder::asideFolderFor(path);
    outcome = Result::NoAside;
    if (folder.isEmpty())
        return {};
    // The new list is written inside the aside folder: whatever a kill leaves behind, new or
    // old, lies where the launch check looks.
    const QString newFile = fm.writeNewFileBeside(
        folder + QLatin1Char('/') + platform::ProcessInfo::processInfo().globallyUniqueString(), data,
        original.permissions);
    outcome = Result::WriteFailed;
    if (newFile.isEmpty())
        return {};
    const QByteArray newBytes = platform::encodePath(newFile);
    // A list of a shared group stays in it; the mode is set again, as a change of owner
    // clears its set-id bits.
    keepOwnerAndGroup(newBytes, original.owner, original.group);
    fchmodat(AT_FDCWD, newBytes.constData(), original.permissions & 07777, 0);
    auto giveUp = [&](Result why) {
        unlink(newBytes.constData());
        outcome = why;
        return QString();
    };

    if (beforeRename)
        beforeRename();
    if (!isOriginal(target, original))
        return giveUp(Result::Changed);

    // Swapped rather than renamed over: the old contents are set aside the instant they leave
    // their path, and what left is checked to be the very file that was read, else put back.
    switch (platform::exchangeItems(newBytes, target)) {
    case ExchangeResult::Exchanged:
        if (afterSwapHook())
            afterSwapHook()();
        if (!isOriginal(newBytes, original)) {
            // Put back whatever took the list's place; kept where it is if that fails.
            if (platform::exchangeItems(newBytes, target) == ExchangeResult::Exchanged)
                return giveUp(Result::Changed);
            outcome = Result::Changed;
            return {};
        }
        break;
    case ExchangeResult::Unsupported: {
        const QString kept = folder + QLatin1Char('/') + platform::ProcessInfo::processInfo().globallyUniqueString();
        const QByteArray keptBytes = platform::encodePath(kept);
        if (!keepOld(target, keptBytes, original))
            return giveUp(isOriginal(target, original) ? Result::NoAside : Result::Changed);
        if (!namesOfOriginal(target, original) || rename(newBytes.constData(), target.constData()) != 0) {
            unlink(keptBytes.constData());
            return giveUp(Result::Changed);
        }
        fm.syncFolderOf(path);
        outcome = Result::Replaced;
        return kept;
    }
    case ExchangeResult::Failed:
        return giveUp(isOriginal(target, original) ? Result::WriteFailed : Result::Changed);
    }
    fm.syncFolderOf(path);
    fm.syncFolderOf(newFile);
    outcome = Result::Replaced;
    return newFile;
}

void AtomicReplace::keepOwnerAndGroup(const QByteArray &path, uid_t owner, gid_t group)
{
    if (fchownat(AT_FDCWD, path.constData(), owner, group, AT_SYMLINK_NOFOLLOW) != 0)
        fchownat(AT_FDCWD, path.constData(), uid_t(-1), group, AT_SYMLINK_NOFOLLOW);
}

void AtomicReplace::setAfterSwapHook(std::function<void()> hook)
{
    afterSwapHook() = std::move(hook);
}
