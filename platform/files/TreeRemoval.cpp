#include "platform/files/TreeRemoval.h"

#include "platform/files/MountBoundary.h"
#include "platform/files/OwnerAccess.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace platform::filetree {

namespace {

// Files a walk meets before its unlinks are shared out to threads, and how many threads.
constexpr size_t unlinkThreadsFrom = 1024;
constexpr int unlinkThreads = 16;
// Emptied folders that may wait for the threads at a time (each may hold a handle).
constexpr size_t deferredFolders = 128;
// How many of the deepest levels keep their handles open.
constexpr size_t openLevels = 32;
// The parent of the top level could not be found again.
constexpr int lost = -1; // AT_FDCWD is a negative descriptor too, but never -1
static_assert(AT_FDCWD != lost);

// Opens the folder `name` below `at` only when it is the one identified by dev/ino; -1 else.
int openSameFolder(int at, const char *name, dev_t dev, ino_t ino)
{
    const int fd = openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat opened;
    if (fd >= 0 && fstat(fd, &opened) == 0 && opened.st_dev == dev && opened.st_ino == ino)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

} // namespace

bool TreeRemoval::run(int dirFd, const char *name)
{
    struct stat st;
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (!S_ISDIR(st.st_mode))
        return unlinkat(dirFd, name, 0) == 0;
    TreeRemoval removal(dirFd, st.st_dev);
    return removal.removeFolder(name, st);
}

bool TreeRemoval::removeFolder(const char *name, const struct stat &seen)
{
    if (!enter(m_dirFd, QByteArray(name), seen))
        return false;
    while (!m_stack.empty()) {
        Level &top = m_stack.back();
        if (top.next < top.entries.size())
            removeEntry(top.fd, top.entries[top.next++]);
        else if (!leaveTop())
            return false;
    }
    return m_ok;
}

// `entry` is a copy: entering a folder may move the levels, and the listing with them.
void TreeRemoval::removeEntry(int folderFd, DirEntry entry)
{
    const char *name = entry.name.constData();
    if (entry.type != DT_DIR && entry.type != DT_UNKNOWN) {
        if (unlinkat(folderFd, name, 0) == 0)
            return;
        if (errno != EISDIR && errno != EPERM) {
            m_ok = false;
            return;
        }
    }
    struct stat seen;
    if (fstatat(folderFd, name, &seen, AT_SYMLINK_NOFOLLOW) != 0) {
        m_ok = false;
        return;
    }
    if (!S_ISDIR(seen.st_mode))
        m_ok = unlinkat(folderFd, name, 0) == 0 && m_ok;
    else if (!enter(folderFd, entry.name, seen))
        m_ok = false;
}

bool TreeRemoval::enter(int parentFd, const QByteArray &childName, const struct stat &seen)
{
    // Another file system mounted inside is not the item's: it stays, and so does the
    // folder holding it.
    const dev_t parentDev = m_stack.empty() ? m_itemDev : m_stack.back().dev;
    if (isMountBoundary(parentFd, childName.constData(), parentDev))
        return false;
    // Our own folder that we may not list or change: give ourselves the right first, as
    // `chmod u+rwx` would (a folder of someone else's is left as it is).
    grantOwner(parentFd, childName.constData(), seen, S_IRWXU);
    const int fd = openSameFolder(parentFd, childName.constData(), seen.st_dev, seen.st_ino);
    if (fd < 0)
        return false;
    Level level;
    level.name = childName;
    level.fd = fd;
    level.dev = seen.st_dev;
    level.ino = seen.st_ino;
    level.entries = entriesIn(fd);
    for (const DirEntry &entry : level.entries)
        m_filesSeen += entry.type != DT_DIR;
    if (!m_pool && m_filesSeen >= unlinkThreadsFrom)
        m_pool = std::make_unique<UnlinkPool>(unlinkThreads);
    if (m_pool)
        shareFiles(level);
    m_stack.push_back(std::move(level));
    closeFarLevel();
    return true;
}

// Keeps the descriptors bounded: the level just above the open ones gives up its handle
// (parentOfTop opens it again on the way back up).
void TreeRemoval::closeFarLevel()
{
    if (m_stack.size() <= openLevels + 1)
        return;
    Level &oldest = m_stack[m_stack.size() - openLevels - 1];
    if (oldest.fd >= 0 && m_stack.size() - openLevels - 1 > 0) {
        close(oldest.fd);
        oldest.fd = -1;
    }
}

// Removes the emptied top level from its parent; false when the way back up is lost.
bool TreeRemoval::leaveTop()
{
    Level &top = m_stack.back();
    const int parentFd = parentOfTop();
    const QByteArray doneName = top.name;
    close(top.fd);
    m_stack.pop_back();
    if (parentFd == lost) {
        // The way back up has changed under us: stop rather than remove by a name that
        // may now mean something else.
        for (const Level &level : m_stack) {
            if (level.fd >= 0)
                close(level.fd);
        }
        catchUp();
        return false;
    }
    if (m_pool && !m_stack.empty()) {
        m_deferred.push_back({sharedHandle(m_stack.back()), doneName});
        if (m_deferred.size() >= deferredFolders)
            catchUp();
        return true;
    }
    catchUp();
    m_ok = unlinkat(parentFd, doneName.constData(), AT_REMOVEDIR) == 0 && m_ok;
    return true;
}

// The parent of the top level, reopened through ".." when its handle was closed, and only
// when it is still the very folder that was left.
int TreeRemoval::parentOfTop()
{
    if (m_stack.size() == 1)
        return m_dirFd;
    Level &parent = m_stack[m_stack.size() - 2];
    if (parent.fd >= 0)
        return parent.fd;
    const int fd = openSameFolder(m_stack.back().fd, "..", parent.dev, parent.ino);
    if (fd < 0)
        return lost;
    parent.fd = fd;
    return fd;
}

// Hands what the listing says is a file (or link, or anything but a folder) to the threads;
// unlinkat never follows a link, and refuses a folder that took the name meanwhile.
void TreeRemoval::shareFiles(Level &level)
{
    std::vector<DirEntry> kept;
    std::vector<QByteArray> batch;
    for (DirEntry &entry : level.entries) {
        if (entry.type == DT_DIR || entry.type == DT_UNKNOWN) {
            kept.push_back(std::move(entry));
            continue;
        }
        batch.push_back(std::move(entry.name));
        if (batch.size() == UnlinkPool::batchSize)
            m_pool->add(sharedHandle(level), std::exchange(batch, {}));
    }
    if (!batch.empty())
        m_pool->add(sharedHandle(level), std::move(batch));
    level.entries = std::move(kept);
}

const UnlinkPool::FolderPtr &TreeRemoval::sharedHandle(Level &level)
{
    if (!level.shared)
        level.shared = std::make_shared<const UnlinkPool::Folder>(fcntl(level.fd, F_DUPFD_CLOEXEC, 0));
    return level.shared;
}

// Waits for the threads, then removes the folders that waited for them.
void TreeRemoval::catchUp()
{
    if (!m_pool)
        return;
    m_ok = m_pool->finish() && m_ok;
    for (const Deferred &folder : m_deferred)
        m_ok = unlinkat(folder.parent->fd(), folder.name.constData(), AT_REMOVEDIR) == 0 && m_ok;
    m_deferred.clear();
}

} // namespace platform::filetree
