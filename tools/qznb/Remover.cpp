#include "Remover.h"

#include "Disk.h"
#include "Interrupt.h"
#include "Overwriter.h"
#include "Reporter.h"
#include "platform/files/MountBoundary.h"
#include "platform/files/OwnerAccess.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace qznb {

namespace {

class FdCloser
{
public:
    explicit FdCloser(int fd)
        : m_fd(fd)
    {}
    ~FdCloser()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    FdCloser(const FdCloser &) = delete;
    FdCloser &operator=(const FdCloser &) = delete;

private:
    int m_fd;
};

// What openToOverwrite answers instead of a descriptor.
constexpr int Failed = -1;             // named on standard error already
constexpr int NothingToOverwrite = -2; // gone, emptied or linked elsewhere meanwhile
constexpr int OutOfDescriptors = -3;

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The names of a folder, read completely before anything in it is renamed or removed, so the
// listing never meets our own random names.
bool listFolder(int dirFd, std::vector<std::string> &names, int &error)
{
    const int listFd = dup(dirFd);
    if (listFd < 0) {
        error = errno;
        return false;
    }
    DIR *dir = fdopendir(listFd);
    if (!dir) {
        error = errno;
        close(listFd);
        return false;
    }
    for (;;) {
        errno = 0;
        const dirent *entry = readdir(dir);
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

constexpr int NotInherited = -2;

// "/proc/self/fd/N": the folder the caller checked and left open for us as descriptor N. A
// duplicate of it, checked to be a folder; -1 with errno set when N is no open folder;
// NotInherited for any other path.
int inheritedFolder(const std::string &parent)
{
    static const std::string prefix = "/proc/self/fd/";
    if (parent.compare(0, prefix.size(), prefix) != 0 || parent.size() == prefix.size()
        || parent.size() > prefix.size() + 9)
        return NotInherited;
    int number = 0;
    for (std::size_t i = prefix.size(); i < parent.size(); ++i) {
        if (parent[i] < '0' || parent[i] > '9')
            return NotInherited;
        number = number * 10 + (parent[i] - '0');
    }
    struct stat info = {};
    if (fstat(number, &info) != 0)
        return -1;
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return -1;
    }
    return fcntl(number, F_DUPFD_CLOEXEC, 0);
}

} // namespace

Remover::Remover(const Options &options, const Reporter &reporter, Overwriter &overwriter, Random &random, Disk &disk)
    : m_options(options)
    , m_reporter(reporter)
    , m_overwriter(overwriter)
    , m_disk(disk)
    , m_passes(passesFor(options.level))
    , m_hider(random, disk)
    , m_batch(m_passes, reporter, overwriter, disk, m_hider)
{}

bool Remover::removePath(const std::string &path)
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

    std::string parent(".");
    std::string base = trimmed;
    const std::size_t slash = trimmed.rfind('/');
    if (slash != std::string::npos) {
        parent = slash == 0 ? "/" : trimmed.substr(0, slash);
        base = trimmed.substr(slash + 1);
    }
    if (base == "." || base == "..") {
        m_reporter.failure(path, "refusing to remove '.' or '..'");
        return false;
    }

    // A readable descriptor lets us sync the folder after the rename; a path-only one is enough
    // for everything else when the folder cannot be read. A folder handed down as a descriptor
    // is used as that very descriptor, never looked up again by a path.
    int parentFd = inheritedFolder(parent);
    if (parentFd == NotInherited)
        parentFd = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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
    m_batch.forgetFailures();

    struct stat info = {};
    if (fstatat(parentFd, base.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        if (m_options.force && error == ENOENT)
            return true;
        m_reporter.failure(path, error);
        return false;
    }
    m_levels.clear();
    Level root;
    root.fd = parentFd;
    struct stat parentInfo = {};
    if (fstat(parentFd, &parentInfo) == 0)
        root.dev = parentInfo.st_dev;
    m_levels.push_back(std::move(root));
    m_display = path;
    bool removed = false;
    if (S_ISDIR(info.st_mode) && m_options.recursive)
        removed = removeTree(base, info);
    else
        removed = removeEntry(parentFd, base, path, info);
    m_levels.clear();
    // Whatever still waits in the batch goes now, while the starting folder is open.
    return m_batch.remove() && removed;
}

bool Remover::removeEntry(int dirFd, const std::string &name, const std::string &display, const struct stat &info)
{
    if (interrupted())
        return false;
    if (S_ISDIR(info.st_mode)) {
        m_reporter.failure(display, "is a directory");
        return false;
    }
    return removeFile(dirFd, name, display, info);
}

std::string Remover::childDisplay(const std::string &name) const
{
    if (!m_display.empty() && m_display.back() == '/')
        return m_display + name;
    return m_display + '/' + name;
}

bool Remover::removeTree(const std::string &name, const struct stat &info)
{
    m_levels.front().ok = true;
    if (!enter(name, info))
        return false;
    while (m_levels.size() > 1) {
        if (interrupted()) {
            m_batch.drop();
            closeLevels();
            return false;
        }
        Level &top = m_levels.back();
        if (top.next >= top.folders.size()) {
            leave();
            continue;
        }
        if (top.fd < 0) {
            // A child could not find its way back here: this folder is no longer ours to empty.
            m_reporter.failure(m_display, "changed while being removed");
            top.ok = false;
            top.next = top.folders.size();
            continue;
        }
        const std::string child = top.folders[top.next++];
        struct stat childInfo = {};
        if (fstatat(top.fd, child.c_str(), &childInfo, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                m_reporter.failure(childDisplay(child), errno);
                top.ok = false;
            }
            continue;
        }
        const bool walked = S_ISDIR(childInfo.st_mode) ? enter(child, childInfo)
                                                       : removeFile(top.fd, child, childDisplay(child), childInfo);
        if (!walked)
            top.ok = false; // not entered, so `top` is still the top level
    }
    return m_levels.front().ok && !interrupted();
}

bool Remover::enter(const std::string &name, const struct stat &info)
{
    Level &parent = m_levels.back();
    // The given folder shows as given; below it, each level adds its name.
    const std::string display = m_levels.size() == 1 ? m_display : childDisplay(name);
    // What is mounted here is another file system's, never ours to overwrite: it stays, and
    // so do the folders above it.
    if (platform::isMountBoundary(parent.fd, name.c_str(), parent.dev)) {
        m_reporter.failure(display, "another file system is mounted here");
        return false;
    }
    // Our own folder that we may not list or change: give ourselves the right, as `chmod u+rwx` would.
    platform::grantOwner(parent.fd, name.c_str(), info, S_IRWXU);
    const int fd = openat(parent.fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        m_reporter.failure(display, errno);
        return false;
    }
    struct stat opened = {};
    if (fstat(fd, &opened) != 0 || !sameFile(opened, info)) {
        close(fd);
        m_reporter.failure(display, "changed while being removed");
        return false;
    }
    std::vector<std::string> names;
    int error = 0;
    if (!listFolder(fd, names, error)) {
        close(fd);
        m_reporter.failure(display, error);
        return false;
    }
    Level level;
    level.fd = fd;
    level.dev = opened.st_dev;
    level.ino = opened.st_ino;
    level.name = name;
    level.displayAbove = m_display.size();
    m_display = display;
    m_levels.push_back(std::move(level));
    // Deep down, the ancestor OpenLevels above lets go of its descriptor (the starting folder
    // and the given one never do).
    const std::size_t depth = m_levels.size() - 1;
    if (depth > OpenLevels + 1) {
        Level &ancestor = m_levels[depth - OpenLevels];
        if (ancestor.fd >= 0) {
            close(ancestor.fd);
            ancestor.fd = -1;
        }
    }
    removeFiles(m_levels.back(), names);
    return true;
}

void Remover::removeFiles(Level &level, const std::vector<std::string> &names)
{
    // The files first, small ones gathered into the batch; the subfolders are walked after.
    for (const std::string &child : names) {
        if (interrupted()) {
            m_batch.drop();
            level.ok = false;
            return;
        }
        const std::string shown = childDisplay(child);
        struct stat childInfo = {};
        if (fstatat(level.fd, child.c_str(), &childInfo, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                m_reporter.failure(shown, errno);
                level.ok = false;
            }
            continue;
        }
        if (S_ISDIR(childInfo.st_mode)) {
            level.folders.push_back(child);
            continue;
        }
        const bool removed = Batch::takes(childInfo) ? addToBatch(level, child, shown, childInfo)
                                                     : removeFile(level.fd, child, shown, childInfo);
        if (!removed)
            level.ok = false;
    }
}

bool Remover::reopenParent()
{
    Level &child = m_levels.back();
    Level &parent = m_levels[m_levels.size() - 2];
    if (parent.fd >= 0)
        return true;
    if (child.fd < 0)
        return false;
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

void Remover::leave()
{
    // The way back up is taken also after a failure, so the folders above can go on.
    const bool back = reopenParent();
    Level &top = m_levels.back();
    const bool ok = top.ok && !interrupted();
    const std::string name = std::move(top.name);
    const std::string display = m_display;
    if (top.fd >= 0)
        close(top.fd);
    m_display.resize(top.displayAbove);
    m_levels.pop_back();
    Level &parent = m_levels.back();
    // Whatever could not be removed has been named already; the folder then cannot go either.
    if (!ok) {
        parent.ok = false;
        return;
    }
    if (!back) {
        m_reporter.failure(display, "changed while being removed");
        parent.ok = false;
        return;
    }
    if (m_batch.hasFiles()) {
        // Files of ours wait in the batch, maybe in here: the folder goes after them.
        std::size_t index = 0;
        if (m_batch.folder(parent.fd, parent.batchSlot, index)) {
            m_batch.addFolderRemoval(index, name, display);
            // Each folder waiting holds a descriptor: a long way up must not use them all.
            if (m_batch.full() && !m_batch.remove())
                parent.ok = false;
            return;
        }
        if (!m_batch.remove()) {
            parent.ok = false;
            return;
        }
    }
    if (m_disk.unlink(parent.fd, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
        m_reporter.failure(display, errno);
        parent.ok = false;
    }
}

void Remover::closeLevels()
{
    // The starting folder belongs to removePath.
    for (std::size_t i = 1; i < m_levels.size(); ++i)
        if (m_levels[i].fd >= 0)
            close(m_levels[i].fd);
    m_levels.resize(1);
}

bool Remover::removeFile(int dirFd, const std::string &name, const std::string &display, const struct stat &info)
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

bool Remover::overwriteFile(int dirFd, const std::string &name, const std::string &display, const struct stat &info)
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

int Remover::openToOverwrite(int dirFd, const std::string &name, const std::string &display, const struct stat &info,
                             std::uint64_t &size)
{
    // O_NONBLOCK: should a fifo be swapped in, opening it must not hang.
    constexpr int WriteFlags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = openat(dirFd, name.c_str(), WriteFlags);
    if (fd < 0 && errno == EACCES) {
        // Our own file that we may not write: give ourselves the right, as `chmod u+w` would,
        // on the very file we checked.
        if (platform::grantOwner(dirFd, name.c_str(), info, S_IWUSR))
            fd = openat(dirFd, name.c_str(), WriteFlags);
        else
            errno = EACCES;
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

bool Remover::addToBatch(Level &dir, const std::string &name, const std::string &display, const struct stat &info)
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
