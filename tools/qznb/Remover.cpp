#include "Remover.h"

#include "Interrupt.h"
#include "Overwriter.h"
#include "Random.h"
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

Remover::Remover(const Options& options, const Reporter& reporter, Overwriter& overwriter, Random& random)
    : m_options(options), m_reporter(reporter), m_overwriter(overwriter), m_random(random),
      m_passes(passesFor(options.level))
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

    struct stat info = {};
    if (fstatat(parentFd, base.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        const int error = errno;
        if (m_options.force && error == ENOENT)
            return true;
        m_reporter.failure(path, error);
        return false;
    }
    return removeEntry(root, base, path, info);
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

    bool ok = true;
    for (const std::string& child : names) {
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
    if (unlinkat(parent.fd, name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
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
        current = hideName(dirFd, name);
    }
    if (interrupted())
        return false;
    if (unlinkat(dirFd, current.c_str(), 0) != 0 && errno != ENOENT) {
        m_reporter.failure(display, errno);
        return false;
    }
    m_reporter.done();
    return true;
}

bool Remover::overwriteFile(int dirFd, const std::string& name, const std::string& display, const struct stat& info)
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
            return true; // removed by someone else meanwhile: nothing left to overwrite
        m_reporter.failure(display, errno);
        return false;
    }
    FdCloser closer(fd);

    struct stat opened = {};
    if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || !sameFile(opened, info)) {
        m_reporter.failure(display, "changed while being removed");
        return false;
    }
    if (opened.st_nlink != 1 || opened.st_size <= 0)
        return true; // a link appeared meanwhile, or it was emptied: nothing of ours to overwrite

    const int error = m_overwriter.overwrite(fd, static_cast<std::uint64_t>(opened.st_size), m_passes, m_reporter);
    if (error == EINTR && interrupted())
        return false;
    if (error != 0) {
        m_reporter.failure(display, error);
        return false;
    }
    return true;
}

std::string Remover::randomNameLike(const std::string& name)
{
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string out(name.size(), 'x');
    for (char& ch : out)
        ch = Alphabet[m_random.next() % (sizeof Alphabet - 1)];
    return out;
}

std::string Remover::hideName(int dirFd, const std::string& name)
{
    // The old name is the last trace of the file; replace it by noise of the same length first.
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string hidden = randomNameLike(name);
        if (renameat2(dirFd, name.c_str(), dirFd, hidden.c_str(), RENAME_NOREPLACE) == 0) {
            fsync(dirFd);
            return hidden;
        }
        if (errno == EEXIST)
            continue;
        if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) {
            // No atomic no-replace here: take a name that is free right now.
            struct stat existing = {};
            if (fstatat(dirFd, hidden.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
                continue;
            if (errno == ENOENT && renameat(dirFd, name.c_str(), dirFd, hidden.c_str()) == 0) {
                fsync(dirFd);
                return hidden;
            }
        }
        break;
    }
    return name; // the data is gone already; removing the entry under its old name still counts
}

} // namespace qznb
