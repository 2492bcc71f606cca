#include "core/AtomicReplace.h"

#include "core/Settings.h"
#include "core/TemporaryFolder.h"
#include "platform/files/ExchangeItems.h"
#include "platform/system/ProcessInfo.h"

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

// How many names the very file that was read has, when `name` (in `dirFd`) is still one of them.
std::optional<nlink_t> namesOfOriginal(int dirFd, const QByteArray &name, const RegularFile &original)
{
    struct stat st;
    if (fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)
        || st.st_dev != original.device || st.st_ino != original.inode)
        return std::nullopt;
    return st.st_nlink;
}

std::optional<nlink_t> namesOfOriginal(const QByteArray &path, const RegularFile &original)
{
    return namesOfOriginal(AT_FDCWD, path, original);
}

// The file that was read, with no other name than this one: a list that gained a hard link
// since it was read is not rewritten either.
bool isOriginal(int dirFd, const QByteArray &name, const RegularFile &original)
{
    return namesOfOriginal(dirFd, name, original) == nlink_t(1);
}

bool isOriginal(const QByteArray &path, const RegularFile &original)
{
    return isOriginal(AT_FDCWD, path, original);
}

bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

// Keeps the old contents as `aside` in the open aside folder: a second name for the very
// file, or a private copy of what was read. Only where the file system cannot swap two names
// in one step.
bool keepOld(const QByteArray &path, int folderFd, const QByteArray &aside, const RegularFile &original)
{
    if (linkat(AT_FDCWD, path.constData(), folderFd, aside.constData(), 0) == 0) {
        if (namesOfOriginal(folderFd, aside, original) == nlink_t(2))
            return true;
        unlinkat(folderFd, aside.constData(), 0); // swapped since it was read
        return false;
    }
    const int fd = openat(folderFd, aside.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, original.data);
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok)
        unlinkat(folderFd, aside.constData(), 0);
    return ok;
}

// The new contents as a new file `name` in the open aside folder, with the old file's owner,
// group and mode, synced to disk. False: nothing is left behind.
bool writeNew(int folderFd, const QByteArray &name, const QByteArray &data, const RegularFile &original)
{
    const int fd = openat(folderFd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, data) && fsync(fd) == 0;
    // A list of a shared group stays in it; the mode is set after, as a change of owner
    // clears its set-id bits.
    if (fchown(fd, original.owner, original.group) != 0)
        (void)fchown(fd, uid_t(-1), original.group);
    ok = fchmod(fd, original.permissions & 07777) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok)
        unlinkat(folderFd, name.constData(), 0);
    return ok;
}

class FolderCloser
{
public:
    explicit FolderCloser(int fd)
        : m_fd(fd)
    {}
    ~FolderCloser()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FolderCloser(const FolderCloser &) = delete;
    FolderCloser &operator=(const FolderCloser &) = delete;

private:
    int m_fd;
};

// With secure removal on, the old contents are overwritten once set aside: a list this user
// could not overwrite (another user's, not writable) is not rewritten at all, or its old
// contents would stay readable in the aside folder.
bool oldCopyCanBeOverwritten(const QByteArray &path, const RegularFile &original)
{
    if (!Settings::boolValue(Settings::Key::EnableSecureDelete))
        return true;
    return geteuid() == 0 || original.owner == geteuid()
        || faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) == 0;
}

} // namespace

QString AtomicReplace::replaceKeepingOld(const QString &path, const RegularFile &original, const QByteArray &data,
                                         const std::function<void()> &beforeRename, Result *result)
{
    Result ignored;
    Result &outcome = result ? *result : ignored;
    const FileManager &fm = FileManager::defaultManager();
    const QByteArray target = platform::encodePath(path);

    outcome = Result::NotOverwritable;
    if (!oldCopyCanBeOverwritten(target, original))
        return {};
    // Everything in the aside folder is done through the descriptor that passed its checks.
    QString folder;
    const int folderFd = TemporaryFolder::openAsideFolderFor(path, &folder);
    const FolderCloser closer(folderFd);
    outcome = Result::NoAside;
    if (folderFd < 0)
        return {};
    // The new list is written inside the aside folder: whatever a kill leaves behind, new or
    // old, lies where the launch check looks.
    auto uniqueName = [] { return platform::encodePath(platform::ProcessInfo::processInfo().globallyUniqueString()); };
    const QByteArray newName = uniqueName();
    outcome = Result::WriteFailed;
    if (!writeNew(folderFd, newName, data, original))
        return {};
    auto giveUp = [&](Result why) {
        unlinkat(folderFd, newName.constData(), 0);
        outcome = why;
        return QString();
    };

    if (beforeRename)
        beforeRename();
    if (!isOriginal(target, original))
        return giveUp(Result::Changed);

    // Swapped rather than renamed over: the old contents are set aside the instant they leave
    // their path, and what left is checked to be the very file that was read, else put back.
    switch (platform::exchangeItemsAt(folderFd, newName, AT_FDCWD, target)) {
    case ExchangeResult::Exchanged:
        if (afterSwapHook())
            afterSwapHook()();
        if (!isOriginal(folderFd, newName, original)) {
            // Put back whatever took the list's place; kept where it is if that fails.
            if (platform::exchangeItemsAt(folderFd, newName, AT_FDCWD, target) == ExchangeResult::Exchanged)
                return giveUp(Result::Changed);
            outcome = Result::Changed;
            return {};
        }
        break;
    case ExchangeResult::Unsupported: {
        const QByteArray kept = uniqueName();
        if (!keepOld(target, folderFd, kept, original))
            return giveUp(isOriginal(target, original) ? Result::NoAside : Result::Changed);
        if (!namesOfOriginal(target, original)
            || renameat(folderFd, newName.constData(), AT_FDCWD, target.constData()) != 0) {
            unlinkat(folderFd, kept.constData(), 0);
            return giveUp(Result::Changed);
        }
        fm.syncFolderOf(path);
        outcome = Result::Replaced;
        return folder + QLatin1Char('/') + platform::decodePath(kept);
    }
    case ExchangeResult::Failed:
        return giveUp(isOriginal(target, original) ? Result::WriteFailed : Result::Changed);
    }
    fm.syncFolderOf(path);
    fsync(folderFd);
    outcome = Result::Replaced;
    return folder + QLatin1Char('/') + platform::decodePath(newName);
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
