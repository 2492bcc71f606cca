#pragma once

#include "platform/files/DirectoryBatch.h"

#include <QtGlobal>

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class FolderWalkPool;

// One thread's depth-first walk below an open folder handle, without recursion on the C++
// stack. Each folder is read in batches of entries with their types; only entries whose type
// the batch does not tell (or whose size is wanted) are looked up, relative to the open
// folder and without following links. At most a fixed number of handles stay open: the
// oldest ancestors are closed on the way down and reopened through ".." on the way back up,
// checked to be the very same folder and resumed where their listing stopped.
class DirectoryWalker
{
public:
    enum class Mode { Size, Count };

    // `pool` (may be null) takes sub-folders off this walker when other threads are idle;
    // `reportsProgress` lets this walker tell the pool how much it has read.
    DirectoryWalker(Mode mode, FolderWalkPool *pool, bool reportsProgress);
    ~DirectoryWalker();
    DirectoryWalker(const DirectoryWalker &) = delete;
    DirectoryWalker &operator=(const DirectoryWalker &) = delete;

    // Walks the whole tree below `folderFd`; closes it afterwards when `ownsFd`.
    void walk(int folderFd, bool ownsFd);
    // Sizes the given entries of `folderFd` (walking those that turn out to be folders); the
    // handle stays the caller's.
    void sizeEntries(int folderFd, const std::vector<std::string> &names);

    quint64 bytes() const { return m_bytes; }
    quint64 files() const { return m_files; }

    static constexpr int maxOpenHandles = 32;

private:
    struct Frame
    {
        int fd = -1;
        platform::DirectoryBatch listing; // resumable where the last entry taken left off
        dev_t dev = 0;                    // identity, recorded when the handle is closed on the way down
        ino_t ino = 0;
        bool finished = false;
    };

    void descend(int parentFd, const char *name);
    void sizeEntry(int folderFd, const char *name);
    void shareEntries(int folderFd);
    void push(int fd);
    void pop();
    bool reopenParent(Frame &child, Frame &parent);
    void abandonClosedFrames();

    Mode m_mode;
    FolderWalkPool *m_pool;
    bool m_reportsProgress;
    std::vector<Frame> m_frames; // reused across walks; [0, m_depth) are live
    size_t m_depth = 0;
    size_t m_lowestOpen = 0; // frames in [1, m_lowestOpen) have their handles closed
    bool m_ownsRoot = false;
    std::vector<std::string> m_shared; // entries of the top folder gathered for a helper
    quint64 m_bytes = 0;
    quint64 m_files = 0;
};
