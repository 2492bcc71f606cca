#include "Remover.h"

#include "Disk.h"
#include "Interrupt.h"
#include "Overwriter.h"
#include "Reporter.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace qznb {

namespace {

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

// What openToOverwrite answers instead of a descriptor.
constexpr int Failed = -1;             // named on standard error already
constexpr int NothingToOverwrite = -2; // gone, emptied or linked elsewhere meanwhile
constexpr int OutOfDescriptors = -3;

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::string childDisplay(const std::string& parent, const std::string& name)
{
    if (!parent.empty() && parent.back() == '/')
        return parent + name;
    return parent + '/' + name;
}

// The names of a folder, read completely before anything in it is renamed or removed, so the
// listing never meets our own random names.
bool listFolder(int dirFd, std::vector<std::string>& names, int& error)
{
    const int listFd = dup(dirFd);
    if (listFd < 0) {
        error = errno;
        return false;
    }
    DIR* dir = fdopendir(listFd);
    if (!dir) {
        error = errno;
        close(listFd);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry)
            break;
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    error = errno;
    closedir(dir);
    return error == 0;
}

} // namespace

Remover::Remover(const Options& options, const Reporter& reporter, Overwriter& overwriter, Random& random, Disk& disk)
    : m_options(options), m_reporter(reporter), m_overwriter(overwriter), m_disk(disk),
      m_passes(passesFor(options.level)), m_hider(random, disk), m_batch(m_passes, reporter, overwriter, disk, m_hider)
{
}

bool Remover::removePath(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    if (trimmed.empty()) {
        if (m_options.force)
            return true;
        m_reporter.failure(path, ENOENT);
        return false;
    }
    if (trimmed == "/") {
        m_reporter.failure(path, "refusing to remove the root folder");
        return false;
    }

    std::string parent;
    std::string base;
    const std::size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos) {
        parent = ".";
        base = trimmed;
    } else {
        parent = slash == 0 ? "/" : trimmed.substr(0, slash);
        base = trimmed.substr(slash + 1);
    }
    if (base == "." || base == "..") {
        m_reporter.failure(path, "refusing to remove '.' or '..'");
        return false;
    }

    // A readable descriptor lets us sync the folder after the rename; a path-only one is enough
    // for everything else when the folder cannot be read.
    int parentFd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0 && errno == EACCES)
        parentFd = open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (parentFd < 0) {
        const int error = errno;
        if (m_options.force && (error == ENOENT || error == ENOTDIR))
            return true;
        m_reporter.failure(path, error);
        return false;
    }
    FdCloser closer(parentFd);
    Level root;
    root.fd = parentFd;
    m_batch.forgetFailures();

    struct stat info = {};
    if (fstatat(parentFd, base.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        if (m_options.force && error == ENOENT)
            return true;
        m_reporter.failure(path, error);
        return false;
    }
    // Whatever still waits in the batch goes now, while the starting folder is open.
    const bool removed = removeEntry(root, base, path, info);
    return m_batch.remove() && removed;
}

bool Remover::removeEntry(Level& dir, const std::string& name, const std::string& display, const struct stat& info)
{
    if (interrupted())
        return false;
    if (S_ISDIR(info.st_mode)) {
        if (!m_options.recursive) {
            m_reporter.failure(display, "is a directory");
            return false;
        }
        return removeTree(dir, name, display, info);
    }
    return removeFile(dir.fd, name, display, info);
}

bool Remover::reopenParent(Level& child)
{
    Level& parent = *child.parent;
    if (parent.fd >= 0)
        return true;
    const int fd = openat(child.fd, "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened = {};
    if (fd < 0 || fstat(fd, &opened) != 0 || opened.st_dev != parent.dev || opened.st_ino != parent.ino) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    parent.fd = fd;
    return true;
}

bool Remover::removeTree(Level& parent, const std::string& name, const std::string& display, const struct stat& info)
{
    Level level;
    level.parent = &parent;
    level.depth = parent.depth + 1;
    level.fd = openat(parent.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (level.fd < 0) {
        m_reporter.failure(display, errno);
        return false;
    }
    struct LevelCloser {
        Level& level;
        ~LevelCloser()
        {
            if (level.fd >= 0)
                close(level.fd);
        }
    } closer{level};
    struct stat opened = {};
    if (fstat(level.fd, &opened) != 0 || !sameFile(opened, info)) {
        m_reporter.failure(display, "changed while being removed");
        return false;
    }
    level.dev = opened.st_dev;
    level.ino = opened.st_ino;
    // Deep down, the ancestor OpenLevels above lets go of its descriptor (the walk's own
    // starting folder never does).
    if (level.depth > OpenLevels + 1) {
        Level* ancestor = &level;
        for (int i = 0; i < OpenLevels; ++i)
            ancestor = ancestor->parent;
        if (ancestor->fd >= 0) {
            close(ancestor->fd);
            ancestor->fd = -1;
        }
    }

    std::vector<std::string> names;
    int error = 0;
    if (!listFolder(level.fd, names, error)) {
        m_reporter.failure(display, error);
        return false;
    }

    // The files first, small ones gathered into the batch; then the subfolders.
    bool ok = true;
    std::vector<std::string> folders;
    for (const std::string& child : names) {
        if (interrupted()) {
            m_batch.drop();
            return false;
        }
        const std::string shown = childDisplay(display, child);
        struct stat childInfo = {};
        if (fstatat(level.fd, child.c_str(), &childInfo, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                m_reporter.failure(shown, errno);
                ok = false;
            }
            continue;
        }
        if (S_ISDIR(childInfo.st_mode) && m_options.recursive) {
            folders.push_back(child);
            continue;
        }
        const bool removed = Batch::takes(childInfo) ? addToBatch(level, child, shown, childInfo)
                                                  : removeEntry(level, child, shown, childInfo);
        if (!removed)
            ok = false;
    }
    for (const std::string& child : folders) {
        if (interrupted())
            return false;
        if (level.fd < 0) {
            // A child could not find its way back here: this folder is no longer ours to empty.
            m_reporter.failure(display, "changed while being removed");
            return false;
        }
        const std::string shown = childDisplay(display, child);
        struct stat childInfo = {};
        if (fstatat(level.fd, child.c_str(), &childInfo, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                m_reporter.failure(shown, errno);
                ok = false;
            }
            continue;
        }
        if (!removeEntry(level, child, shown, childInfo))
            ok = false;
    }
    // The way back up is taken also after a failure, so the folders above can go on.
    const bool back = level.fd >= 0 && reopenParent(level);
    // Whatever could not be removed has been named already; the folder then cannot go either.
    if (!ok || interrupted())
        return false;
    if (!back) {
        m_reporter.failure(display, "changed while being removed");
        return false;
    }
    if (m_batch.hasFiles()) {
        // Files of ours wait in the batch, maybe in here: the folder goes after them.
        std::size_t index = 0;
        if (m_batch.folder(parent.fd, parent.batchSlot, index)) {
            m_batch.addFolderRemoval(index, name, display);
            return true;
        }
        if (!m_batch.remove())
            return false;
    }
    if (m_disk.unlink(parent.fd, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
        m_reporter.failure(display, errno);
        return false;
    }
    return true;
}

bool Remover::removeFile(int dirFd, const std::string& name, const std::string& display, const struct stat& info)
{
    m_reporter.removing(display);
    std::string current = name;
    // Only a file whose data is ours alone is overwritten: another hard link's data stays intact.
    if (S_ISREG(info.st_mode) && info.st_nlink == 1) {
        if (info.st_size > 0 && !overwriteFile(dirFd, name, display, info))
            return false;
        current = m_hider.hide(dirFd, name);
    }
    if (interrupted())
        return false;
    if (m_disk.unlink(dirFd, current.c_str(), 0) != 0 && errno != ENOENT) {
        m_reporter.failure(display, errno);
        return false;
    }
    m_reporter.done();
    return true;
}

bool Remover::overwriteFile(int dirFd, const std::string& name, const std::string& display, const struct stat& info)
{
    std::uint64_t size = 0;
    const int fd = openToOverwrite(dirFd, name, display, info, size);
    if (fd == NothingToOverwrite)
        return true;
    if (fd == OutOfDescriptors)
        m_reporter.failure(display, EMFILE);
    if (fd < 0)
        return false;
    FdCloser closer(fd);
    const int error = m_overwriter.overwrite(fd, size, m_passes, m_reporter);
    if (error == EINTR && interrupted())
        return false;
    if (error != 0) {
        m_reporter.failure(display, error);
        return false;
    }
    return true;
}

int Remover::openToOverwrite(int dirFd, const std::string& name, const std::string& display, const struct stat& info,
                             std::uint64_t& size)
{
    // O_NONBLOCK: should a fifo be swapped in, opening it must not hang.
    constexpr int WriteFlags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = openat(dirFd, name.c_str(), WriteFlags);
    if (fd < 0 && errno == EACCES && info.st_uid == geteuid()) {
        // Our own read-only file: give ourselves write permission, on the very file we checked.
        const int readFd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (readFd >= 0) {
            struct stat opened = {};
            if (fstat(readFd, &opened) == 0 && sameFile(opened, info))
                fchmod(readFd, (opened.st_mode & 07777) | S_IWUSR);
            close(readFd);
            fd = openat(dirFd, name.c_str(), WriteFlags);
        } else {
            errno = EACCES;
        }
    }
    if (fd < 0) {
        if (errno == ENOENT)
            return NothingToOverwrite; // removed by someone else meanwhile
        if (errno == EMFILE)
            return OutOfDescriptors;
        m_reporter.failure(display, errno);
        return Failed;
    }
    struct stat opened = {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || !sameFile(opened, info)) {
        close(fd);
        m_reporter.failure(display, "changed while being removed");
        return Failed;
    }
    if (opened.st_nlink != 1 || opened.st_size <= 0) {
        close(fd); // a link appeared meanwhile, or it was emptied: nothing of ours to overwrite
        return NothingToOverwrite;
    }
    size = static_cast<std::uint64_t>(opened.st_size);
    return fd;
}

bool Remover::addToBatch(Level& dir, const std::string& name, const std::string& display, const struct stat& info)
{
    std::uint64_t size = 0;
    bool ok = true;
    std::size_t folder = 0;
    if (!m_batch.folder(dir.fd, dir.batchSlot, folder)) {
        ok = m_batch.remove();
        if (!m_batch.folder(dir.fd, dir.batchSlot, folder)) {
            m_reporter.failure(display, errno);
            return false;
        }
    }
    int fd = openToOverwrite(dir.fd, name, display, info, size);
    if (fd == OutOfDescriptors && m_batch.hasFiles()) {
        ok = m_batch.remove() && ok;
        if (!m_batch.folder(dir.fd, dir.batchSlot, folder)) {
            m_reporter.failure(display, errno);
            return false;
        }
        fd = openToOverwrite(dir.fd, name, display, info, size);
    }
    if (fd == OutOfDescriptors) {
        m_reporter.failure(display, EMFILE);
        return false;
    }
    if (fd == Failed)
        return false;
    if (fd == NothingToOverwrite) // the one-file way looks at it afresh
        return removeFile(dir.fd, name, display, info) && ok;
    m_batch.add(fd, folder, name, display, size);
    if (m_batch.full())
        ok = m_batch.remove() && ok;
    return ok;
}

} // namespace qznb
