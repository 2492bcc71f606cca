#pragma once

#include "platform/files/FolderEntries.h"
#include "platform/files/UnlinkPool.h"

#include <QByteArray>

#include <sys/stat.h>

#include <memory>
#include <vector>

namespace platform::filetree {

// The removal of one item and everything below it, as filetree::removeTree promises: links
// are never followed, mounts never entered, and the walk keeps its own stack of folder levels
// instead of recursing. Only the deepest levels keep their handles open, so however deep the
// tree, the walk needs a bounded number of descriptors. A big tree's files are unlinked by a
// few threads; each folder then goes only once they are done with it.
class TreeRemoval
{
public:
    // Removes `name` (relative to dirFd, or a path with AT_FDCWD); goes on past failures and
    // answers whether everything went.
    static bool run(int dirFd, const char *name);

private:
    // A folder level being emptied.
    struct Level
    {
        QByteArray name; // in its parent
        int fd = -1;
        dev_t dev = 0;
        ino_t ino = 0;
        std::vector<DirEntry> entries; // read whole before anything in it is removed
        size_t next = 0;
        UnlinkPool::FolderPtr shared; // its handle for the unlink threads, once they need it
    };
    // An emptied folder waiting for the threads, with its parent's handle.
    struct Deferred
    {
        UnlinkPool::FolderPtr parent;
        QByteArray name;
    };

    TreeRemoval(int dirFd, dev_t itemDev)
        : m_dirFd(dirFd)
        , m_itemDev(itemDev)
    {}
    bool removeFolder(const char *name, const struct stat &seen);
    void removeEntry(int folderFd, DirEntry entry);
    bool enter(int parentFd, const QByteArray &childName, const struct stat &seen);
    void closeFarLevel();
    bool leaveTop();
    int parentOfTop();
    void shareFiles(Level &level);
    static const UnlinkPool::FolderPtr &sharedHandle(Level &level);
    void catchUp();

    const int m_dirFd;
    const dev_t m_itemDev;
    std::vector<Level> m_stack;
    bool m_ok = true;
    std::unique_ptr<UnlinkPool> m_pool;
    std::vector<Deferred> m_deferred;
    size_t m_filesSeen = 0;
};

} // namespace platform::filetree
