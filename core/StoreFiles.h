#pragma once

#include <QByteArray>

// SQLite opens a store's files by name: the store itself and, beside it, its -journal, -wal
// and -shm. A pipe there blocks the open for ever, a link sends reads (and writes) elsewhere,
// a second hard link shares the rows with another name. Before SQLite runs, each of them is
// looked at through the folder's descriptor, and while it runs, the connections we open go
// through a file layer that refuses whatever is no plain file of its own.
class StoreFiles
{
public:
    // Is the store `name` in the folder `folderFd` a regular file with one hard link, and is
    // each side file it may open either absent or the same? Nothing is opened but the stat.
    static bool arePlain(int folderFd, const QByteArray &name);

    // The name of the SQLite file layer for our connections: as the default one, except that
    // an existing file it opens must be a regular file with one link (opened without blocking
    // or following a link first), and a super-journal (a name read from a journal's contents,
    // which a crafted journal may point at any file to have it read and deleted) is never opened.
    static const char *vfsName();

    // The same layer for a scan's counts, which leave the store's folder as they found it: a
    // log or journal that is not there is never made (opening it fails instead).
    static const char *probeVfsName();

    // How a count reads the store `name` without leaving a file beside it that was not there.
    enum class Reading {
        Shared,              // as any reader: a rollback-journal store, or a log store with a journal
        FileOnly,            // a log store closed cleanly: no log, so everything is in the file itself
        Exclusive,           // a log with no index beside it: the index is kept in memory, never in a file
        ExclusiveElseShared, // a log and its index: as Exclusive while no one else has it open
    };
    static Reading readingOf(int folderFd, const QByteArray &name);
};
