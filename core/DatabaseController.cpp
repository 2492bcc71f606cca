#include "core/DatabaseController.h"

#include "core/Settings.h"
#include "platform/FileManager.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
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
    const int fd = ::open(file.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
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

} // namespace

DatabaseController::DatabaseController(QObject *parent) : QObject(parent) {}

sqlite3 *DatabaseController::openStore(const QString &path, Access access)
{
    // Never create the file: one that vanished since the caller looked must not come back as
    // an empty database. Never through a final link either: the rows are this file's.
    // SQLite's no-follow flag refuses a link anywhere in the name, so the folders are resolved
    // first and only the store itself is refused when it is a link.
    sqlite3 *db = nullptr;
    const QString resolved = platform::FileManager::withResolvedFolders(path);
    const QByteArray file = resolved.isEmpty() ? QByteArray() : platform::encodePath(resolved);
    const int mode = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (file.isEmpty() || sqlite3_open_v2(file.constData(), &db, mode | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
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

    // Securely, the deleted rows must not outlive the delete anywhere the store keeps pages:
    // freed pages are zeroed, temporary files stay in memory, and the log or journal is kept
    // (the lock is held to the end, so no one else uses it meanwhile) to be overwritten below.
    const bool secure = Settings::boolValue(Settings::Key::EnableSecureDelete);
    bool wal = false;
    if (secure) {
        // The mode is read before the lock is taken for good: a log store first opened with
        // that lock keeps its index in memory and never takes up the index file left beside
        // it (by a browser, or by the scan's read-only count), which would then outlive the
        // clean. Opened this way SQLite takes that file up and removes it with the log at the
        // close, as after any clean close.
        const QByteArray mode = journalMode(db);
        execute(db, QByteArrayLiteral("PRAGMA locking_mode = EXCLUSIVE; PRAGMA temp_store = MEMORY;"));
        wal = mode == "wal";
        // Only a journal the file system would otherwise free is kept; a mode not read is
        // never changed (changing a log's mode would convert the store).
        if (mode == "delete" || mode == "truncate")
            execute(db, QByteArrayLiteral("PRAGMA journal_mode = PERSIST;"));
    }
    QString text = sql;
    if (secure)
        text.prepend(u"PRAGMA secure_delete = 1; "_s);

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
    if (result == SQLITE_OK) {
        // The zeroed pages reach the main file before the vacuum cuts its end off: a page it
        // drops is never written back there.
        if (wal)
            execute(db, QByteArrayLiteral("PRAGMA wal_checkpoint(FULL);"));
        execute(db, QByteArrayLiteral("VACUUM;")); // its own failure does not change the answer
    }
    // Only while this connection holds the store alone (it keeps the lock once it has it) is
    // the side file ours to overwrite. The log is folded back first and emptied after; it is
    // left to SQLite when nothing was deleted. The journal of a delete undone holds only what
    // the file holds again.
    if (secure && execute(db, QByteArrayLiteral("BEGIN EXCLUSIVE; COMMIT;")) == SQLITE_OK) {
        const QByteArray store = platform::encodePath(platform::FileManager::withResolvedFolders(path));
        if (wal && result == SQLITE_OK) {
            if (execute(db, QByteArrayLiteral("PRAGMA wal_checkpoint(FULL);")) == SQLITE_OK
                && wipeSideFile(store + "-wal", false))
                execute(db, QByteArrayLiteral("PRAGMA wal_checkpoint(TRUNCATE);"));
        } else if (!wal) {
            wipeSideFile(store + "-journal", true);
        }
    }
    sqlite3_close(db);
    return result == SQLITE_OK;
}
