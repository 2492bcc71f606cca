#pragma once

#include <QString>
#include <QStringList>

// Setting aside a file that SQLite keeps side files for, and other items that go as one. The -wal beside a store may
// hold every row written since the last checkpoint, and the next open of a store of that name would read a -wal or
// -journal left behind, so a store never goes aside without them.
class StoreAside
{
public:
    // The side files that lie beside `path` now (-wal, -journal, -shm), in the order they go.
    static QStringList sideFilesOf(const QString &path);

    // Sets the item at `path` aside as TemporaryFolder::moveItemAside does. A regular file
    // with side files goes, with them, into one new private folder in the aside folder, each
    // under its own name, and that folder is answered: one item, removed as one. Empty when
    // something could not be moved; whatever had moved is then put back.
    static QString moveAside(const QString &path);

    // Sets several items aside as one: into one new private folder in the aside folder of the
    // first (they lie on one file system), each under its own name, in the order given, and
    // answers that folder. An item gone since it was seen is passed over. Empty when an item
    // could not be moved, or none was; whatever had moved is then put back.
    static QString moveTogether(const QStringList &paths);
};
