#include "core/DatabaseController.h"

#include "core/Settings.h"
#include "core/StoreFiles.h"
#include "platform/files/FileManager.h"
#include "platform/system/UserDefaults.h"

#include <QMutex>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int execute(sqlite3 *db, const QByteArray &sql)
{
    char *message = nullptr;
    const int result = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message);
    sqlite3_free(message); // the caller only wants to know whether it ran
    return result;
}

QByteArray journalMode(sqlite3 *db)
{
    QByteArray mode;
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA journal_mode;", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        mode = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0))).toLower();
    sqlite3_finalize(statement);
    return mode;
}

// Overwrites a store's side file with zeros where it lies, syncs it and cuts it to nothing,
// so the pages it held (deleted rows among them) are not left in the blocks the file system
// frees. Only a plain file of its own is touched; none there is nothing to do.
bool wipeSideFile(const QByteArray &file, bool removeAfter)
{
    const int fd = ::open(file.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT;
    struct stat st = {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1;
    static const char zeros[65536] = {};
    for (off_t at = 0; ok && at < st.st_size;) {
        const ssize_t n = ::pwrite(fd, zeros, size_t(std::min<off_t>(sizeof zeros, st.st_size - at)), at);
        ok = n > 0;
        at += ok ? n : 0;
    }
    ok = ok && ::fsync(fd) == 0 && ::ftruncate(fd, 0) == 0 && ::fsync(fd) == 0;
    // Removed only while the name is still this file.
    struct stat named = {};
    if (ok && removeAfter && ::lstat(file.constData(), &named) == 0 && named.st_ino == st.st_ino
        && named.st_dev == st.st_dev)
        ok = ::unlink(file.constData()) == 0;
    ::close(fd);
    return ok;
}

std::function<void()> &afterCommitHook()
{
    static std::function<void()> hook;
    return hook;
}

QMutex &pendingMutex()
{
    static QMutex mutex;
    return mutex;
}

// Written to disk before a secure delete commits and forgotten once its side files are
// overwritten: a kill in between leaves the store named for the next launch to finish.
void setWipePending(const QString &store, bool pending)
{
    QMutexLocker lock(&pendingMutex());
    QVariantList stores = Settings::value(Settings::Key::PendingSideFileWipes).toList();
    if (stores.contains(store) == pending)
        return;
    if (pending)
        stores.append(store);
    else
        stores.removeAll(store);
    Settings::setValue(Settings::Key::PendingSideFileWipes, stores.isEmpty() ? QVariant() : QVariant(stores));
    platform::UserDefaults::standardUserDefaults().synchronize();
}

// Keeps deleted rows out of everything the store leaves behind: freed pages are zeroed,
// temporary files stay in memory, and the log or journal is kept (the lock is held to the
// end, so no one else uses it meanwhile) to be overwritten. `mode` is the journal mode when it
// was read already. True when the store is in WAL mode.
bool prepareSecure(sqlite3 *db, QByteArray mode)
{
    execute(db, QByteArrayLiteral("PRAGMA temp_store = MEMORY;"));
    if (mode.isEmpty())
        mode = journalMode(db);
    // Only a journal the file system would otherwise free is kept; a mode not read is
    // never changed (changing a log's mode would convert the store).
    if (mode == "delete" || mode == "truncate")
        execute(db, QByteArrayLiteral("PRAGMA journal_mode = PERSIST;"));
    return mode == "wal";
}

// Only while this connection holds the store alone (it keeps the lock once it has it) is the
// side file ours to overwrite. The log is folded back first and emptied after; it is left to
// SQLite when nothing was deleted. The journal of a delete undone holds only what the file
// holds again. True when nothing deleted is left in a side file.
bool wipeSideFiles(sqlite3 *db, const QByteArray &store, bool wal, bool deleted)
{
    if (execute(db, QByteArrayLiteral("BEGIN EXCLUSIVE; COMMIT;")) != SQLITE_OK)
        return false;
    if (!wal)
        return wipeSideFile(store + "-journal", true);
    if (!deleted)
        return true;
    return execute(db, QByteArrayLiteral("PRAGMA wal_checkpoint(FULL);")) == SQLITE_OK
        && wipeSideFile(store + "-wal", false)
        && execute(db, QByteArrayLiteral("PRAGMA wal_checkpoint(TRUNCATE);")) == SQLITE_OK;
}

// Exclusive from the first statement on: a store in WAL mode then keeps its index in memory
// and never maps a -shm file, whose pages a full disk cannot back (a write to one would end
// the program with SIGBUS instead of failing the delete).
void lockExclusively(sqlite3 *db)
{
    execute(db, QByteArrayLiteral("PRAGMA locking_mode = EXCLUSIVE;"));
}

// A reader of a store in WAL mode maps the log's index (-shm) into memory, and a write to a
// page of it that a full disk cannot back ends the process with SIGBUS rather than failing.
// A reader cannot keep the index in memory instead, so on a disk with almost no room left a
// store in WAL mode is not read at all.
bool mayMapIndexOnFullDisk(const QByteArray &file)
{
    constexpr qint64 roomNeeded = qint64(1) << 20;
    struct statvfs fs;
    if (::statvfs(file.constData(), &fs) != 0 || qint64(fs.f_bavail) * qint64(fs.f_frsize) >= roomNeeded)
        return false;
    const int fd = ::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char header[20] = {};
    const bool wal =
        ::pread(fd, header, sizeof header, 0) == ssize_t(sizeof header) && (header[18] == 2 || header[19] == 2);
    ::close(fd);
    return wal;
}

sqlite3 *openConnection(const QByteArray &name, int flags, const char *vfs)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(name.constData(), &db, flags | SQLITE_OPEN_NOFOLLOW, vfs) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    return db;
}

// The store's name as a URI that reads it as a file no one changes: SQLite then opens no log,
// index or journal and takes no lock.
QByteArray immutableUri(const QByteArray &file)
{
    return "file:" + file.toPercentEncoding("/") + "?immutable=1";
}

} // namespace

DatabaseController::DatabaseController(QObject *parent)
    : QObject(parent)
{}

sqlite3 *DatabaseController::openStore(const QString &path, Access access)
{
    // Never create the file: one that vanished since the caller looked must not come back as
    // an empty database. Never through a final link either: the rows are this file's.
    // SQLite's no-follow flag refuses a link anywhere in the name, so the folders are resolved
    // first and only the store itself is refused when it is a link.
    const QString resolved = platform::FileManager::withResolvedFolders(path);
    const QByteArray file = resolved.isEmpty() ? QByteArray() : platform::encodePath(resolved);
    const qsizetype slash = file.lastIndexOf('/');
    if (slash < 0)
        return nullptr;
    // SQLite opens the store and its side files with blocking opens of its own: each is
    // looked at first, through the folder, and a pipe, a device, a link or a shared file
    // anywhere among them leaves the store unopened at once.
    const int folder = ::open(slash == 0 ? "/" : file.left(slash).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return nullptr;
    const bool plain = StoreFiles::arePlain(folder, file.mid(slash + 1));
    const StoreFiles::Reading reading =
        access == Access::ReadOnly ? StoreFiles::readingOf(folder, file.mid(slash + 1)) : StoreFiles::Reading::Shared;
    ::close(folder);
    if (!plain)
        return nullptr;
    if (access == Access::ReadWrite)
        return openConnection(file, SQLITE_OPEN_READWRITE, StoreFiles::vfsName());
    if (mayMapIndexOnFullDisk(file))
        return nullptr;
    // A count leaves the folder as it found it (see StoreFiles::readingOf): no log or journal
    // is ever made, and no index file either.
    switch (reading) {
    case StoreFiles::Reading::Shared:
        return openConnection(file, SQLITE_OPEN_READONLY, StoreFiles::probeVfsName());
    case StoreFiles::Reading::FileOnly:
        return openConnection(immutableUri(file), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, StoreFiles::probeVfsName());
    case StoreFiles::Reading::Exclusive:
    case StoreFiles::Reading::ExclusiveElseShared:
        break;
    }
    // Only a connection that may write takes the lock under which SQLite keeps the index in
    // memory; it runs no statement that writes, and leaves the log unfolded at the close. The
    // lock is taken here, by a first read: a store another program holds is counted on its own
    // index where that lies beside it, and not at all where it does not (a reader would make one).
    sqlite3 *db = openConnection(file, SQLITE_OPEN_READWRITE, StoreFiles::probeVfsName());
    if (db
        && (sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr) != SQLITE_OK
            || execute(db,
                       QByteArrayLiteral("PRAGMA query_only = 1; PRAGMA locking_mode = EXCLUSIVE;"
                                         " PRAGMA schema_version;"))
                != SQLITE_OK)) {
        sqlite3_close(db);
        db = nullptr;
    }
    if (!db && reading == StoreFiles::Reading::ExclusiveElseShared)
        return openConnection(file, SQLITE_OPEN_READONLY, StoreFiles::probeVfsName());
    return db;
}

DatabaseController::~DatabaseController() = default;

bool DatabaseController::didDeleteRecordsWithInfo(const QString &sql, const QString &path)
{
    const platform::FileManager &fm = platform::FileManager::defaultManager();
    if (path.isEmpty() || !fm.fileExistsAtPath(path))
        return false;
    const auto attributes = fm.attributesOfItemAtPath(path);
    // A database that is itself a link is not ours to change.
    if (!attributes || attributes->isSymbolicLink)
        return false;
    if (attributes->immutable)
        fm.setImmutable(path, false);

    sqlite3 *db = openStore(path);
    if (!db)
        return false;
    const QString store = platform::FileManager::withResolvedFolders(path);
    // With room on the disk the store is read once before the lock is taken for good: a log
    // store first opened with that lock keeps its index in memory and never takes up the index
    // file left beside it (by a browser, or by the scan's read-only count), which would then
    // outlive the clean. Read this way SQLite takes that file up and removes it with the log at
    // the close, as after any clean close. On a nearly full disk the index is never mapped.
    QByteArray mode;
    if (!mayMapIndexOnFullDisk(platform::encodePath(store))) {
        mode = journalMode(db);
        if (mode.isEmpty()) { // not even its header could be read: a store we do not touch
            sqlite3_close(db);
            return false;
        }
    }
    lockExclusively(db);
    const bool secure = Settings::boolValue(Settings::Key::EnableSecureDelete);
    const bool wal = secure && prepareSecure(db, mode);
    QString text = sql;
    if (secure) {
        text.prepend(u"PRAGMA secure_delete = 1; "_s);
        setWipePending(store, true);
    }

    // No busy timeout: a database another program holds locked fails at once. The
    // statements run as one transaction and only a delete that went through is compacted,
    // so a store whose delete failed (part-way, or an empty or damaged file) is left exactly
    // as it was.
    int result = execute(db, QByteArrayLiteral("BEGIN;"));
    if (result == SQLITE_OK)
        result = execute(db, text.toUtf8());
    if (result == SQLITE_OK)
        result = execute(db, QByteArrayLiteral("COMMIT;"));
    if (result != SQLITE_OK && !sqlite3_get_autocommit(db))
        execute(db, QByteArrayLiteral("ROLLBACK;"));
    if (result == SQLITE_OK && afterCommitHook())
        afterCommitHook()();
    if (result == SQLITE_OK) {
        // The zeroed pages reach the main file before the vacuum cuts its end off: a page it
        // drops is never written back there.
        if (wal)
            execute(db, QByteArrayLiteral("PRAGMA wal_checkpoint(FULL);"));
        execute(db, QByteArrayLiteral("VACUUM;")); // its own failure does not change the answer
    }
    if (secure && wipeSideFiles(db, platform::encodePath(store), wal, result == SQLITE_OK))
        setWipePending(store, false);
    sqlite3_close(db);
    return result == SQLITE_OK;
}

void DatabaseController::finishPendingWipes()
{
    const platform::FileManager &fm = platform::FileManager::defaultManager();
    const QVariantList stores = Settings::value(Settings::Key::PendingSideFileWipes).toList();
    for (const QVariant &entry : stores) {
        const QString store = entry.toString();
        const auto attributes = fm.attributesOfItemAtPath(store);
        // A store gone (or no longer a plain file) took its side files with it or is not ours.
        if (!attributes || !attributes->isRegularFile) {
            setWipePending(store, false);
            continue;
        }
        // One that does not open now (a browser holds it) is tried again at the next launch.
        sqlite3 *db = openStore(store);
        if (!db)
            continue;
        lockExclusively(db);
        // Opening rolls back a delete the kill cut short; what a committed one left in the
        // log or journal is overwritten.
        const bool wal = prepareSecure(db, QByteArray());
        if (wipeSideFiles(db, platform::encodePath(store), wal, true))
            setWipePending(store, false);
        sqlite3_close(db);
    }
}

void DatabaseController::setAfterCommitHook(std::function<void()> hook)
{
    afterCommitHook() = std::move(hook);
}
