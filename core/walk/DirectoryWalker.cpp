#include "core/walk/DirectoryWalker.h"

#include "core/walk/FolderWalkPool.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Entries handed to a helper at a time: enough to be worth the hand-over.
constexpr size_t sharedEntries = 256;

bool searchable(int folderFd)
{
    struct stat st;
    return fstatat(folderFd, ".", &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != EACCES;
}

} // namespace

DirectoryWalker::DirectoryWalker(Mode mode, FolderWalkPool *pool, bool reportsProgress)
    : m_mode(mode)
    , m_pool(pool)
    , m_reportsProgress(reportsProgress)
{}

DirectoryWalker::~DirectoryWalker() = default;

void DirectoryWalker::walk(int folderFd, bool ownsFd)
{
    m_ownsRoot = ownsFd;
    m_depth = 0;
    m_lowestOpen = 1;
    push(folderFd);

    quint64 seen = 0;
    while (m_depth > 0) {
        Frame &frame = m_frames[m_depth - 1];
        const char *name = nullptr;
        unsigned char type = DT_UNKNOWN;
        if (frame.finished || !frame.listing.next(name, type)) {
            shareEntries(frame.fd);
            if (m_reportsProgress && m_pool)
                m_pool->progress(seen);
            pop();
            continue;
        }
        if (isDotOrDotDot(name))
            continue;
        // Now and then, as a batch read used to: a big flat folder is reason enough for helpers.
        if ((++seen & 511) == 0 && m_reportsProgress && m_pool)
            m_pool->progress(seen);

        if (type == DT_DIR) {
            shareEntries(frame.fd);
            descend(frame.fd, name); // may grow m_frames: `frame` is not used afterwards
            continue;
        }
        if (m_mode == Mode::Count && type != DT_UNKNOWN) {
            ++m_files;
            continue;
        }
        // Looking entries up is the cost of a size walk: idle helpers take a share of those
        // the listing says are no folders.
        if (type != DT_UNKNOWN && m_pool && (!m_shared.empty() || m_pool->hungry())) {
            m_shared.emplace_back(name);
            if (m_shared.size() >= sharedEntries)
                shareEntries(frame.fd);
            continue;
        }
        struct stat st;
        if (fstatat(frame.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone since the listing was read
        if (S_ISDIR(st.st_mode)) {
            descend(frame.fd, name);
            continue;
        }
        m_bytes += quint64(st.st_size);
        ++m_files;
    }
}

void DirectoryWalker::sizeEntries(int folderFd, const std::vector<std::string> &names)
{
    for (const std::string &name : names)
        sizeEntry(folderFd, name.c_str());
}

void DirectoryWalker::sizeEntry(int folderFd, const char *name)
{
    struct stat st;
    if (fstatat(folderFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return; // gone since the listing was read
    if (S_ISDIR(st.st_mode)) {
        // A folder took the name since the listing: it is a walk of its own.
        const int fd = openat(folderFd, name, folderFlags);
        if (fd < 0)
            return;
        DirectoryWalker inner(m_mode, nullptr, false);
        inner.walk(fd, true);
        m_bytes += inner.bytes();
        m_files += inner.files();
        return;
    }
    m_bytes += quint64(st.st_size);
    ++m_files;
}

void DirectoryWalker::shareEntries(int folderFd)
{
    if (m_shared.empty())
        return;
    if (!m_pool->offerEntries(folderFd, m_shared)) {
        // Nobody idle any more: size them here.
        for (const std::string &name : m_shared)
            sizeEntry(folderFd, name.c_str());
    }
    m_shared.clear();
}

void DirectoryWalker::descend(int parentFd, const char *name)
{
    if (m_pool && m_pool->offer(parentFd, name))
        return;
    const int fd = openat(parentFd, name, folderFlags);
    if (fd < 0)
        return; // a folder that cannot be opened adds nothing
    push(fd);
}

void DirectoryWalker::push(int fd)
{
    if (m_depth == m_frames.size())
        m_frames.emplace_back();
    Frame &frame = m_frames[m_depth++];
    frame.fd = fd;
    frame.listing.start(fd);
    // A folder that can be listed but not searched names entries that cannot be sized: the
    // count passes over them too, so that the size and the count agree. (The size walk finds
    // out on its own when it looks each entry up.)
    frame.finished = m_mode == Mode::Count && !searchable(fd);

    // Keep the number of open handles bounded however deep the tree goes; the walk's own
    // root stays open.
    if (m_depth - m_lowestOpen > size_t(maxOpenHandles)) {
        Frame &oldest = m_frames[m_lowestOpen++];
        struct stat st;
        if (fstat(oldest.fd, &st) == 0) {
            oldest.dev = st.st_dev;
            oldest.ino = st.st_ino;
        } else {
            oldest.dev = 0;
            oldest.ino = 0;
        }
        oldest.listing.release();
        close(oldest.fd);
        oldest.fd = -1;
    }
}

void DirectoryWalker::pop()
{
    const size_t top = m_depth - 1;
    Frame &frame = m_frames[top];
    bool lostAncestors = false;
    if (top >= 2 && top == m_lowestOpen && frame.fd >= 0)
        lostAncestors = !reopenParent(frame, m_frames[top - 1]);
    frame.listing.release();
    if (frame.fd >= 0 && (top > 0 || m_ownsRoot))
        close(frame.fd);
    frame.fd = -1;
    --m_depth;
    if (lostAncestors)
        abandonClosedFrames();
}

bool DirectoryWalker::reopenParent(Frame &child, Frame &parent)
{
    const int fd = openat(child.fd, "..", folderFlags);
    if (fd < 0)
        return false;
    struct stat st;
    // Renamed or replaced while its handle was closed: it is not the folder we were in.
    if (fstat(fd, &st) != 0 || st.st_dev != parent.dev || st.st_ino != parent.ino || !parent.listing.resume(fd)) {
        parent.listing.release();
        close(fd);
        return false;
    }
    parent.fd = fd;
    --m_lowestOpen;
    return true;
}

void DirectoryWalker::abandonClosedFrames()
{
    // Without a sound way back into the closed ancestors, the rest of their listings is lost,
    // as after a read error in each of them.
    for (size_t i = 1; i < m_lowestOpen; ++i)
        m_frames[i].finished = true;
    m_lowestOpen = 1;
}
