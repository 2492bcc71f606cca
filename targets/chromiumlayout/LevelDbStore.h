#pragma once

#include <QString>

#include <memory>

namespace leveldb {
class DB;
}

// A LevelDB store of a browser profile, opened through the library. The library opens the
// store's files by name itself (CURRENT, the MANIFEST that CURRENT names, logs, tables, LOCK)
// with blocking opens that follow links and reads some of them whole. So before it runs,
// every entry of the folder is looked at through the folder's descriptor, and the library
// is given that descriptor's name, never the path again.
class LevelDbStore
{
public:
    ~LevelDbStore();
    LevelDbStore(const LevelDbStore &) = delete;
    LevelDbStore &operator=(const LevelDbStore &) = delete;

    // The existing store at `folder` (a real folder, never a link), or null when it is not
    // one that holdsOnlyStoreFiles accepts or the library does not open it whole (locked by a
    // running browser, damaged, ordered by another comparator). The library may turn its log
    // into a table on opening, as the browser does.
    static std::unique_ptr<LevelDbStore> openExisting(const QString &folder);
    // A new store at `folder`, which must not exist yet; null when it cannot be made.
    static std::unique_ptr<LevelDbStore> create(const QString &folder);

    // Is every entry of the open folder a regular file, no link, with one hard link and at most
    // `maxEntryBytes` long, and does CURRENT name one of them? A pipe among them would block
    // the library, a link would send its reads or its new LOCK elsewhere, a device would feed
    // it without end, and an entry larger than any the browser writes would be held whole in
    // memory, more than once.
    static bool holdsOnlyStoreFiles(int folderFd);
    static constexpr qint64 maxEntryBytes = qint64(32) << 20;

    leveldb::DB &db() const { return *m_db; }

private:
    LevelDbStore(int folderFd, std::unique_ptr<leveldb::DB> db);

    int m_folderFd = -1;
    std::unique_ptr<leveldb::DB> m_db;
};
