#include "platform/files/FileManager.h"

#include "platform/files/FileTree.h"

#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

// The byte path without trailing slashes: "link/" would make lstat and unlink resolve the link.
QByteArray osPath(const QString &path)
{
    QByteArray p = encodePath(path);
    while (p.size() > 1 && p.endsWith('/'))
        p.chop(1);
    return p;
}

// The folder holding `path` ("." for a bare name).
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : (slash == 0 ? QByteArray("/") : path.left(slash));
}

// The immutable flag without opening the item (works on unreadable files too).
bool immutableFlag(const char *path, bool *known)
{
    struct statx stx;
    if (statx(AT_FDCWD, path, AT_SYMLINK_NOFOLLOW, 0, &stx) == 0 && (stx.stx_attributes_mask & STATX_ATTR_IMMUTABLE)) {
        *known = true;
        return stx.stx_attributes & STATX_ATTR_IMMUTABLE;
    }
    *known = false;
    return false;
}

// Without RENAME_NOREPLACE: a file is linked (link refuses an existing name) and unlinked;
// otherwise the item is renamed only after checking that nothing holds the new name.
bool renameRefusingExisting(const QByteArray &src, const QByteArray &dst)
{
    struct stat st;
    if (lstat(src.constData(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        if (link(src.constData(), dst.constData()) == 0)
            return unlink(src.constData()) == 0;
        if (errno != EPERM && errno != ENOTSUP)
            return false;
    }
    if (lstat(dst.constData(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    if (errno != ENOENT)
        return false;
    return rename(src.constData(), dst.constData()) == 0;
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace

FileManager &FileManager::defaultManager()
{
    static FileManager manager;
    return manager;
}

bool FileManager::fileExistsAtPath(const QString &path) const
{
    return fileExistsAtPath(path, nullptr);
}

bool FileManager::fileExistsAtPath(const QString &path, bool *isDirectory) const
{
    struct stat st;
    const bool exists = !path.isEmpty() && stat(osPath(path).constData(), &st) == 0;
    if (isDirectory)
        *isDirectory = exists && S_ISDIR(st.st_mode);
    return exists;
}

std::optional<FileAttributes> FileManager::attributesOfItemAtPath(const QString &path) const
{
    const QByteArray p = osPath(path);
    struct stat st;
    if (path.isEmpty() || lstat(p.constData(), &st) != 0)
        return std::nullopt;
    FileAttributes a;
    a.size = quint64(st.st_size);
    a.isDirectory = S_ISDIR(st.st_mode);
    a.isSymbolicLink = S_ISLNK(st.st_mode);
    a.isRegularFile = S_ISREG(st.st_mode);
    a.permissions = st.st_mode & 07777;
    a.owner = st.st_uid;
    a.linkCount = st.st_nlink;
    bool known = false;
    a.immutable = !a.isSymbolicLink && immutableFlag(p.constData(), &known);
    return a;
}

bool FileManager::setImmutable(const QString &path, bool immutable) const
{
    const QByteArray p = osPath(path);
    struct stat st;
    if (path.isEmpty() || lstat(p.constData(), &st) != 0)
        return false;
    bool known = false;
    const bool current = !S_ISLNK(st.st_mode) && immutableFlag(p.constData(), &known);
    if (current == immutable)
        return true; // also "clear" on a file system without the flag
    if (S_ISLNK(st.st_mode))
        return false;
    const int fd = open(p.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

bool FileManager::setPosixPermissions(const QString &path, mode_t permissions) const
{
    if (path.isEmpty())
        return false;
    // Acts on what the final component is when it is looked at; a link swapped in meanwhile
    // is refused (EOPNOTSUPP), its target never touched. Linux has no mode on a link itself.
    return fchmodat(AT_FDCWD, osPath(path).constData(), permissions & 07777, AT_SYMLINK_NOFOLLOW) == 0;
}

bool FileManager::isWritableFileAtPath(const QString &path) const
{
    if (path.isEmpty())
        return false;
    const QByteArray p = osPath(path);
    if (faccessat(AT_FDCWD, p.constData(), W_OK, AT_SYMLINK_NOFOLLOW | AT_EACCESS) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // No faccessat2: a link answers for itself, anything else for its own mode.
    struct stat st;
    if (lstat(p.constData(), &st) != 0)
        return false;
    return S_ISLNK(st.st_mode) || access(p.constData(), W_OK) == 0;
}

bool FileManager::createDirectoryAtPath(const QString &path, mode_t mode) const
{
    return !path.isEmpty() && mkdir(osPath(path).constData(), mode) == 0;
}

bool FileManager::moveItemAtPath(const QString &from, const QString &to) const
{
    // A file system without RENAME_NOREPLACE falls back to checking first (EINVAL also
    // means "into itself", which the plain rename refuses again).
    if (renameItemAtPath(from, to))
        return true;
    if (errno != EXDEV)
        return false;
    // Another file system: copy the tree (refusing any existing name), then remove the source.
    const QByteArray src = osPath(from);
    return filetree::copyTree(src, osPath(to)) && filetree::removeTree(AT_FDCWD, src.constData());
}

bool FileManager::removeItemAtPath(const QString &path) const
{
    return !path.isEmpty() && filetree::removeTree(AT_FDCWD, osPath(path).constData());
}

bool FileManager::removeItemInFolder(int dirFd, const QByteArray &name) const
{
    return dirFd >= 0 && !name.isEmpty() && !name.contains('/') && filetree::removeTree(dirFd, name.constData());
}

std::optional<QByteArray> FileManager::contentsAtPath(const QString &path) const
{
    constexpr qint64 cap = qint64(256) << 20;
    std::optional<RegularFile> file = readRegularFile(path, cap);
    if (!file)
        return std::nullopt;
    return std::move(file->data);
}

std::optional<RegularFile> FileManager::readRegularFile(const QString &path, qint64 maxBytes, bool followFinalLink,
                                                        ReadFailure *failure) const
{
    ReadFailure ignored;
    ReadFailure &why = failure ? *failure : ignored;
    why = ReadFailure::Missing;
    if (path.isEmpty())
        return std::nullopt;
    // O_NONBLOCK: a pipe or device left where a file was expected must not hang us.
    const int flags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (followFinalLink ? 0 : O_NOFOLLOW);
    const int fd = open(osPath(path).constData(), flags);
    if (fd < 0) {
        why = errno == ENOENT || errno == ENOTDIR ? ReadFailure::Missing
            : errno == ELOOP || errno == ENXIO    ? ReadFailure::NotRegular
                                                  : ReadFailure::Unreadable;
        return std::nullopt;
    }
    struct stat st;
    RegularFile file;
    why = ReadFailure::None;
    if (fstat(fd, &st) != 0)
        why = ReadFailure::Unreadable;
    else if (!S_ISREG(st.st_mode))
        why = ReadFailure::NotRegular;
    else if (st.st_size > maxBytes)
        why = ReadFailure::TooLarge;
    if (why == ReadFailure::None) {
        file.device = st.st_dev;
        file.inode = st.st_ino;
        file.linkCount = st.st_nlink;
        file.permissions = st.st_mode & 07777;
        file.owner = st.st_uid;
        file.group = st.st_gid;
        // Read to the cap and one byte past it: a file growing while read is still refused.
        file.data.resize(qsizetype(st.st_size) + 1);
        qsizetype done = 0;
        for (;;) {
            if (done == file.data.size()) {
                if (done > maxBytes) {
                    why = ReadFailure::TooLarge;
                    break;
                }
                file.data.resize(qMin<qint64>(maxBytes + 1, qint64(done) * 2 + 4096));
            }
            const ssize_t n = read(fd, file.data.data() + done, size_t(file.data.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                why = ReadFailure::Unreadable;
                break;
            }
            if (n == 0)
                break;
            done += n;
        }
        file.data.truncate(done);
    }
    close(fd);
    if (why != ReadFailure::None)
        return std::nullopt;
    return file;
}

bool FileManager::renameItemAtPath(const QString &from, const QString &to) const
{
    if (from.isEmpty() || to.isEmpty())
        return false;
    const QByteArray src = osPath(from);
    const QByteArray dst = osPath(to);
    if (renameat2(AT_FDCWD, src.constData(), AT_FDCWD, dst.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return false;
    return renameRefusingExisting(src, dst);
}

bool FileManager::writeAtomically(const QString &path, const QByteArray &data, std::optional<mode_t> permissions) const
{
    if (path.isEmpty())
        return false;
    const QByteArray target = osPath(path);
    // An existing file keeps its permissions and its group; a new one stays private to its owner.
    struct stat st;
    const bool existing = lstat(target.constData(), &st) == 0 && S_ISREG(st.st_mode);
    const mode_t mode = permissions.value_or(existing ? st.st_mode & 07777 : 0600);
    const QString temp = writeNewFileBeside(path, data, mode);
    if (temp.isEmpty())
        return false;
    const QByteArray tempPath = osPath(temp);
    if (existing && lchown(tempPath.constData(), uid_t(-1), st.st_gid) == 0)
        chmod(tempPath.constData(), mode); // a change of group clears set-id bits
    if (rename(tempPath.constData(), target.constData()) != 0) {
        unlink(tempPath.constData());
        return false;
    }
    syncFolderOf(path);
    return true;
}

QString FileManager::writeNewFileBeside(const QString &path, const QByteArray &data, mode_t permissions) const
{
    if (path.isEmpty())
        return {};
    const QByteArray target = osPath(path);
    const QByteArray folder = folderOf(target);
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    QByteArray temp = folder + "/." + name + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC); // created 0600
    if (fd < 0 && errno == ENAMETOOLONG) {
        temp = folder + "/.nimbrel-write.XXXXXX";
        fd = mkostemp(temp.data(), O_CLOEXEC);
    }
    if (fd < 0)
        return {};
    bool ok = fchmod(fd, permissions & 07777) == 0;
    ok = ok && writeAll(fd, data.constData(), data.size()) && fsync(fd) == 0;
    // Only a file wholly on disk may take another's place: a full disk must never leave a
    // short one behind a success.
    struct stat st;
    ok = ok && fstat(fd, &st) == 0 && st.st_size == data.size();
    ok = close(fd) == 0 && ok;
    if (!ok) {
        unlink(temp.constData());
        return {};
    }
    return decodePath(temp);
}

void FileManager::syncFolderOf(const QString &path) const
{
    const QByteArray target = osPath(path);
    const QByteArray folder = folderOf(target);
    const int dirFd = open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
}

QStringList FileManager::contentsOfDirectoryAtPath(const QString &path) const
{
    QStringList names;
    if (path.isEmpty())
        return names;
    DIR *dir = opendir(osPath(path).constData());
    if (!dir)
        return names;
    while (dirent *e = readdir(dir)) {
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
            names.append(decodePath(QByteArray(e->d_name)));
    }
    closedir(dir);
    return names;
}

QStringList FileManager::enumeratorAtPath(const QString &path) const
{
    QStringList out;
    if (path.isEmpty())
        return out;
    // Not even the starting folder is entered through a link.
    const int fd = open(osPath(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0)
        filetree::enumerate(fd, QString(), out);
    return out;
}

QString FileManager::firstEntryBelow(const QString &path, const std::function<bool(const QString &)> &matches) const
{
    QString found;
    if (path.isEmpty())
        return found;
    const int fd = open(osPath(path).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        filetree::enumerate(fd, QString(), [&](const QString &rel) {
            if (!matches(rel))
                return true;
            found = rel;
            return false;
        });
    }
    return found;
}

QString FileManager::resolvedPath(const QString &path)
{
    char *resolved = realpath(osPath(path).constData(), nullptr);
    if (!resolved)
        return {};
    const QString out = decodePath(QByteArray(resolved));
    std::free(resolved);
    return out;
}

QString FileManager::withResolvedFolders(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return path;
    const QString folder = resolvedPath(slash == 0 ? u"/"_s : path.left(slash));
    if (folder.isEmpty())
        return {};
    return (folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/')) + path.mid(slash + 1);
}

QString FileManager::temporaryDirectory()
{
    QByteArray env = qgetenv("TMPDIR");
    if (!env.isEmpty()) {
        while (env.size() > 1 && env.endsWith('/'))
            env.chop(1);
        return decodePath(env);
    }
    // No TMPDIR: a private folder on the home folder's file system, so that setting an item
    // aside is a rename and never a copy to another disk. Made (0700) by whoever first puts
    // something there, so that a run that sets nothing aside leaves no trace.
    return homeDirectory() + u"/.nimbrel-tmp"_s;
}

QString FileManager::homeDirectory()
{
    QString home = QDir::homePath();
    while (home.size() > 1 && home.endsWith(QLatin1Char('/')))
        home.chop(1);
    return home;
}

} // namespace platform
