#include "core/DatabaseController.h"

#include "platform/FileManager.h"
#include "platform/UserDefaults.h"

#include <sqlite3.h>


using namespace Qt::StringLiterals;

namespace {

int execute(sqlite3 *db, const QByteArray &sql)
{
    char *message = nullptr;
    const int result = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &message);
    sqlite3_free(message); // the caller only wants to know whether it ran
    return result;
}

} // namespace

DatabaseController::DatabaseController(QObject *parent) : QObject(parent) {}

sqlite3 *DatabaseController::openStore(const QString &path)
{
    // Never create the file: one that vanished since the caller looked must not come back as
    // an empty database. Never through a final link either: the rows are this file's.
    // SQLite's no-follow flag refuses a link anywhere in the name, so the folders are resolved
    // first and only the store itself is refused when it is a link.
    sqlite3 *db = nullptr;
    const QString resolved = platform::FileManager::withResolvedFolders(path);
    const QByteArray file = resolved.isEmpty() ? QByteArray() : platform::encodePath(resolved);
    if (file.isEmpty()
        || sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW,
                           nullptr) != SQLITE_OK) {
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

    QString text = sql;
    if (platform::UserDefaults::standardUserDefaults().boolForKey(u"enableSecureDelete"_s))
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
    if (result == SQLITE_OK)
        execute(db, QByteArrayLiteral("VACUUM;")); // its own failure does not change the answer
    sqlite3_close(db);
    return result == SQLITE_OK;
}
