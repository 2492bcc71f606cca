#pragma once

#include <QByteArray>
#include <QtGlobal>

// Sums the sizes or counts the entries of a whole folder tree, quickly.
//
// Each folder is opened once and its entries are read in batches together with their type;
// every descent goes through a handle of the open folder, so no whole path is resolved again
// and no symbolic link is ever followed. A folder adds 0 bytes and 0 files; every other entry
// (hidden ones, links, sockets...) is one file of its own size (a link's own length). A folder
// that cannot be opened gives 0 and a read error ends only that folder. Depth is unlimited:
// the walk keeps its own stack and a bounded number of open handles. Large trees are shared
// out to a few helper threads once they prove big enough to pay for them.
class FolderWalk
{
public:
    struct Totals
    {
        quint64 bytes = 0;
        quint64 files = 0;
    };

    // The whole tree below the folder at `path` (bytes as on disk). A path that does not name
    // a folder, or whose last component is a symbolic link, gives 0.
    static quint64 sizeAtPath(const QByteArray &path);
    static quint64 countAtPath(const QByteArray &path);

    // Same, below an open folder handle; the handle stays owned by the caller.
    static quint64 sizeAtFolder(int folderFd);

    // At most this many threads take part in one walk (1 walks on the calling thread only).
    static void setMaximumThreads(int threads);
};
