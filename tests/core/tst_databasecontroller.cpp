// Delete statements on real SQLite files. Every connection of this process is traced (an
// automatic extension), so the tests see exactly which statements the service ran.
#include "core/DatabaseController.h"
#include "platform/files/FileManager.h"
#include "platform/system/UserDefaults.h"
#include "support/BoundedRun.h"
#include "support/CiSkip.h"
#include "support/FakeHome.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <csignal>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::FileManager;

namespace {

QStringList g_statements;

int recordStatement(unsigned type, void *, void *statement, void *)
{
    if (type == SQLITE_TRACE_STMT) {
        QString text = QString::fromUtf8(sqlite3_sql(static_cast<sqlite3_stmt *>(statement))).trimmed();
        if (text.endsWith(QLatin1Char(';')))
            text.chop(1);
        g_statements << text.trimmed();
    }
    return 0;
}

int installTrace(sqlite3 *db, char **, const sqlite3_api_routines *)
{
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, recordStatement, nullptr);
    return SQLITE_OK;
}

struct Probe
{
    QString integrity;
    int rowsA = -1;
    int rowsB = -1;
    int freePages = -1;
};

QString single(sqlite3 *db, const char *sql)
{
    sqlite3_stmt *statement = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return value;
}

// What the file holds now, read through a connection of our own.
Probe probe(const QString &path)
{
    Probe p;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(platform::encodePath(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        p.integrity = single(db, "PRAGMA integrity_check");
        const QString a = single(db, "SELECT count(*) FROM a");
        const QString b = single(db, "SELECT count(*) FROM b");
        p.rowsA = a.isEmpty() ? -1 : a.toInt();
        p.rowsB = b.isEmpty() ? -1 : b.toInt();
        p.freePages = single(db, "PRAGMA freelist_count").toInt();
    }
    sqlite3_close(db);
    return p;
}

const char *const schema = "CREATE TABLE a (id INTEGER PRIMARY KEY, v TEXT);"
                           "CREATE TABLE b (id INTEGER PRIMARY KEY, v TEXT);"
                           "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
                           "  INSERT INTO a (v) SELECT printf('%0500d', i) FROM n;"
                           "INSERT INTO b (v) VALUES ('one'), ('two'), ('three');"
                           // Free pages left behind, so a vacuum shows.
                           "DELETE FROM a WHERE id > 150;";

// A hot journal whose last record names `super` as the super-journal of its transaction, as
// SQLite writes it: the lock page's number, the name, its length, its checksum and the magic.
QByteArray journalNamingSuperJournal(const QByteArray &super)
{
    auto bigEndian = [](quint32 value) {
        const char bytes[4] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
        return QByteArray(bytes, 4);
    };
    quint32 checksum = 0;
    for (const char ch : super)
        checksum += quint8(ch);
    return QByteArray(4096, 'J') + bigEndian(0x40000000 / 4096 + 1) + super + bigEndian(quint32(super.size()))
        + bigEndian(checksum) + QByteArray::fromHex("d9d505f920a163d7");
}

bool run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A small ext4 file system in an image file inside `folder`, mounted for one test.
struct LoopDisk
{
    QString image;
    QString point;
    QString whyNot; // empty once mounted
    LoopDisk(const QString &folder, int megabytes, const QStringList &options = {})
        : image(folder + u"/disk.img"_s)
        , point(folder + u"/mnt"_s)
    {
        QFile disk(image);
        if (::geteuid() != 0)
            whyNot = u"mounting a file-system image needs root"_s;
        else if (!QDir().mkpath(point) || !disk.open(QIODevice::WriteOnly) || !disk.resize(megabytes << 20))
            whyNot = u"no room for a disk image"_s;
        else if (disk.close(); !run(u"mkfs.ext4"_s, QStringList{u"-q"_s, u"-F"_s} + options + QStringList{image}))
            whyNot = u"mkfs.ext4 cannot make a file system here"_s;
        else if (!run(u"mount"_s, {u"-o"_s, u"loop"_s, image, point}))
            whyNot = u"a loop device cannot be mounted here"_s;
    }
    ~LoopDisk() { unmount(); }
    void unmount()
    {
        if (whyNot.isEmpty())
            run(u"umount"_s, {point});
        whyNot = u"unmounted"_s;
    }
};

// How many times `marker` appears in the files of a folder, as anyone reading them would see.
int countIn(const QString &folder, const QByteArray &marker)
{
    int count = 0;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        count += int(
            FileManager::defaultManager().contentsAtPath(folder + u"/"_s + name).value_or(QByteArray()).count(marker));
    return count;
}

// Runs `work` in a child process of its own and answers how it ended: its exit code, or
// 128 + the signal that ended it.
int inChild(const std::function<int()> &work)
{
    const pid_t pid = fork();
    if (pid == 0)
        _exit(work());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

// Every entry of a folder, the folder itself first: name, size, time of change to the
// nanosecond and a digest of the contents.
QStringList listing(const QString &folder)
{
    QStringList entries;
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.prepend(u"."_s);
    for (const QString &name : names) {
        struct stat st = {};
        const QString path = folder + u"/"_s + name;
        if (::lstat(platform::encodePath(path).constData(), &st) != 0)
            return {u"unreadable "_s + name};
        const QByteArray contents =
            S_ISREG(st.st_mode) ? FileManager::defaultManager().contentsAtPath(path).value_or("?") : QByteArray();
        entries << u"%1 %2 %3.%4 %5"_s.arg(name)
                       .arg(st.st_size)
                       .arg(st.st_mtim.tv_sec)
                       .arg(st.st_mtim.tv_nsec)
                       .arg(QString::fromLatin1(QCryptographicHash::hash(contents, QCryptographicHash::Sha1).toHex()));
    }
    return entries;
}

} // namespace

class tst_DatabaseController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(installTrace)); }
    void cleanupTestCase() { sqlite3_reset_auto_extension(); }

    void statementsRun_data();
    void statementsRun();
    void refusedInputLeavesFileIntact_data();
    void refusedInputLeavesFileIntact();
    void lockedDatabaseIsLeftAlone_data();
    void lockedDatabaseIsLeftAlone();
    void missingFileIsNotCreated();
    void immutableFlagClearedEvenOnFailure();
    void pathThatIsNotUtf8();
    void linksOnTheWay_data();
    void linksOnTheWay();
    void secureDeleteLeavesNoRowOnTheDisk_data();
    void secureDeleteLeavesNoRowOnTheDisk();
    void sideFilesGoAsAtACleanClose_data();
    void sideFilesGoAsAtACleanClose();
    void storeFilesThatAreNoPlainFile_data();
    void storeFilesThatAreNoPlainFile();
    void killAfterSecureDeleteCommits_data();
    void killAfterSecureDeleteCommits();
    void fullDiskFailsTheDelete_data();
    void fullDiskFailsTheDelete();
    void scanCountLeavesTheFolderAsFound_data();
    void scanCountLeavesTheFolderAsFound();
};

void tst_DatabaseController::statementsRun_data()
{
    QTest::addColumn<bool>("secure");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QStringList>("ran");
    QTest::addColumn<int>("rowsA");
    QTest::addColumn<int>("rowsB");

    const QString pragma = u"PRAGMA secure_delete = 1"_s;
    const QString begin = u"BEGIN"_s;
    const QString commit = u"COMMIT"_s;
    const QString rollback = u"ROLLBACK"_s;
    const QString vacuum = u"VACUUM"_s;
    // Every connection reads the store once, then keeps it to itself.
    const QString exclusive = u"PRAGMA locking_mode = EXCLUSIVE"_s;
    const QString mode = u"PRAGMA journal_mode"_s;
    QTest::newRow("plain delete") << false << u"DELETE FROM a;"_s << true
                                  << QStringList{mode, exclusive, begin, u"DELETE FROM a"_s, commit, vacuum} << 0 << 3;
    // Securely, the connection keeps the store to itself and its journal to be overwritten.
    const QStringList secureSetUp{mode, exclusive, u"PRAGMA temp_store = MEMORY"_s, u"PRAGMA journal_mode = PERSIST"_s};
    QTest::newRow("secure delete: pragma first")
        << true << u"DELETE FROM b WHERE id = 2;"_s << true
        << secureSetUp + QStringList{begin, pragma, u"DELETE FROM b WHERE id = 2"_s, commit, vacuum} << 150 << 2;
    QTest::newRow("two statements") << false << u"DELETE FROM a; DELETE FROM b;"_s << true
                                    << QStringList{mode,   exclusive, begin, u"DELETE FROM a"_s, u"DELETE FROM b"_s,
                                                   commit, vacuum}
                                    << 0 << 0;
    // A delete that fails part-way is undone, and the file is not compacted either.
    QTest::newRow("fails part-way") << true << u"DELETE FROM a; DELETE FROM nope; DELETE FROM b;"_s << false
                                    << secureSetUp
            + QStringList{begin, pragma, u"DELETE FROM a"_s, rollback, u"BEGIN EXCLUSIVE"_s, commit}
                                    << 150 << 3;
    QTest::newRow("missing table") << false << u"DELETE FROM nope;"_s << false
                                   << QStringList{mode, exclusive, begin, rollback} << 150 << 3;
}

void tst_DatabaseController::statementsRun()
{
    QFETCH(bool, secure);
    QFETCH(QString, sql);
    QFETCH(bool, answer);
    QFETCH(QStringList, ran);
    QFETCH(int, rowsA);
    QFETCH(int, rowsB);

    FakeHome home;
    QVERIFY(home.createSqlite(u"Library/db.sqlite"_s, QString::fromLatin1(schema)));
    const QString path = home.path(u"Library/db.sqlite"_s);
    QVERIFY(probe(path).freePages > 0);
    const QByteArray bytes = FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray());
    platform::UserDefaults::standardUserDefaults().setBool(secure, u"enableSecureDelete"_s);

    DatabaseController db;
    g_statements.clear();
    QCOMPARE(db.didDeleteRecordsWithInfo(sql, path), answer);
    // The vacuum's own inner statements may follow it; what we ran comes first.
    QCOMPARE(g_statements.mid(0, ran.size()), ran);
    if (!answer)
        QCOMPARE(g_statements.size(), ran.size());

    const Probe after = probe(path);
    QCOMPARE(after.integrity, u"ok"_s);
    QCOMPARE(after.rowsA, rowsA);
    QCOMPARE(after.rowsB, rowsB);
    if (answer)
        QCOMPARE(after.freePages, 0); // vacuumed after the delete
    else
        QVERIFY(FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray()) == bytes);
}

void tst_DatabaseController::refusedInputLeavesFileIntact_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("folder");
    QByteArray garbage;
    for (int i = 0; i < 8192; ++i)
        garbage.append(char((i * 131 + 7) % 251));
    QTest::newRow("garbage file") << garbage << false;
    QTest::newRow("text file") << QByteArray("not a database\n").repeated(300) << false;
    QTest::newRow("header only") << QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\xff') << false;
    QTest::newRow("zero-length file") << QByteArray() << false;
    QTest::newRow("folder") << QByteArray() << true;
}

void tst_DatabaseController::refusedInputLeavesFileIntact()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, folder);
    FakeHome home;
    const QString path = home.path(u"Library/broken.db"_s);
    QVERIFY(folder ? home.makeDir(u"Library/broken.db"_s) : home.writeFile(u"Library/broken.db"_s, contents));

    DatabaseController db;
    QVERIFY(!db.didDeleteRecordsWithInfo(u"DELETE FROM a;"_s, path));
    if (folder) {
        bool isDir = false;
        QVERIFY(FileManager::defaultManager().fileExistsAtPath(path, &isDir) && isDir);
    } else {
        QCOMPARE(FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray()), contents);
    }
    QVERIFY(!QFile::exists(path + u"-journal"_s));
}

void tst_DatabaseController::lockedDatabaseIsLeftAlone_data()
{
    QTest::addColumn<bool>("secure");
    QTest::newRow("plain") << false;
    // The other program's journal is its own: never overwritten.
    QTest::newRow("secure") << true;
}

void tst_DatabaseController::lockedDatabaseIsLeftAlone()
{
    QFETCH(bool, secure);
    FakeHome home; // first: the setting below goes to its settings, not the real home's
    platform::UserDefaults::standardUserDefaults().setBool(secure, u"enableSecureDelete"_s);
    QVERIFY(home.createSqlite(u"Library/db.sqlite"_s, QString::fromLatin1(schema)));
    const QString path = home.path(u"Library/db.sqlite"_s);

    // Another connection in the middle of a write transaction.
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(platform::encodePath(path).constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE; DELETE FROM b WHERE id = 1;", nullptr, nullptr, nullptr), SQLITE_OK);

    const QByteArray journal =
        FileManager::defaultManager().contentsAtPath(path + u"-journal"_s).value_or(QByteArray());
    QVERIFY(!journal.isEmpty());
    DatabaseController db;
    const bool answer = db.didDeleteRecordsWithInfo(u"DELETE FROM a;"_s, path);
    QCOMPARE(FileManager::defaultManager().contentsAtPath(path + u"-journal"_s).value_or(QByteArray()), journal);

    QCOMPARE(sqlite3_exec(other, "ROLLBACK;", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(other);

    QVERIFY(!answer);
    const Probe after = probe(path);
    QCOMPARE(after.integrity, u"ok"_s);
    QCOMPARE(after.rowsA, 150);
    QCOMPARE(after.rowsB, 3);
}

void tst_DatabaseController::missingFileIsNotCreated()
{
    FakeHome home;
    QVERIFY(home.makeDir(u"Library"_s));
    const QString path = home.path(u"Library/gone.db"_s);
    QVERIFY(QFile::link(u"nothing-here.db"_s, home.path(u"Library/dangling.db"_s)));

    DatabaseController db;
    g_statements.clear();
    QVERIFY(!db.didDeleteRecordsWithInfo(u"DELETE FROM a;"_s, path));
    QVERIFY(!db.didDeleteRecordsWithInfo(u"DELETE FROM a;"_s, home.path(u"Library/dangling.db"_s)));
    QVERIFY(g_statements.isEmpty());
    QVERIFY(!QFileInfo::exists(path));
    QVERIFY(!QFileInfo::exists(home.path(u"Library/nothing-here.db"_s)));
}

void tst_DatabaseController::immutableFlagClearedEvenOnFailure()
{
    FakeHome home;
    QVERIFY(home.createSqlite(u"Library/db.sqlite"_s, QString::fromLatin1(schema)));
    const QString path = home.path(u"Library/db.sqlite"_s);
    const FileManager &fm = FileManager::defaultManager();
    if (!fm.setImmutable(path, true) || !fm.attributesOfItemAtPath(path)->immutable)
        SKIP_OR_FAIL_IN_CI("the immutable flag cannot be set here (file system or privileges)");

    DatabaseController db;
    QVERIFY(!db.didDeleteRecordsWithInfo(u"DELETE FROM nope;"_s, path));
    QVERIFY(!fm.attributesOfItemAtPath(path)->immutable);
    QCOMPARE(probe(path).rowsA, 150);
}

void tst_DatabaseController::linksOnTheWay_data()
{
    QTest::addColumn<QString>("linkAt"); // relative to the home, pointing at the real place
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("cleaned");
    // The database itself as a link: not ours to change. A folder above it moved elsewhere
    // by the user: followed like any path.
    QTest::newRow("database is a link") << "Library/History.db"
                                        << "Elsewhere/History.db" << false;
    QTest::newRow("folder above is a link") << "Library"
                                            << "Elsewhere" << true;
}

void tst_DatabaseController::linksOnTheWay()
{
    QFETCH(QString, linkAt);
    QFETCH(QString, target);
    QFETCH(bool, cleaned);
    FakeHome home;
    const QString real = home.path(u"Elsewhere/History.db"_s);
    QVERIFY(home.createSqlite(u"Elsewhere/History.db"_s, u"CREATE TABLE visits(id); INSERT INTO visits VALUES(1);"_s));
    if (linkAt == QLatin1String("Library"))
        QVERIFY(QDir(home.path(u"Library"_s)).removeRecursively()); // none yet
    else
        QVERIFY(home.makeDir(u"Library"_s));
    QVERIFY(QFile::link(home.path(target), home.path(linkAt)));

    DatabaseController db;
    QCOMPARE(db.didDeleteRecordsWithInfo(u"DELETE FROM visits;"_s, home.path(u"Library/History.db"_s)), cleaned);
    sqlite3 *handle = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(real).constData(), &handle, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *count = nullptr;
    QCOMPARE(sqlite3_prepare_v2(handle, "SELECT count(*) FROM visits", -1, &count, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_step(count), SQLITE_ROW);
    QCOMPARE(sqlite3_column_int(count, 0), cleaned ? 0 : 1);
    sqlite3_finalize(count);
    sqlite3_close(handle);
    QVERIFY(QFileInfo(home.path(linkAt)).isSymLink());
}

void tst_DatabaseController::pathThatIsNotUtf8()
{
    FakeHome home;
    const QString name = u"Library/"_s + platform::decodePath("caf\xe9-\xff.db");
    QVERIFY(home.createSqlite(name, QString::fromLatin1(schema)));
    const QString path = home.path(name);

    DatabaseController db;
    QVERIFY(db.didDeleteRecordsWithInfo(u"DELETE FROM b;"_s, path));
    QCOMPARE(probe(path).rowsB, 0);
    FileManager::defaultManager().removeItemAtPath(path); // a name QDir could not remove
}

void tst_DatabaseController::secureDeleteLeavesNoRowOnTheDisk_data()
{
    QTest::addColumn<bool>("wal"); // the private rows sit in the log only, as a browser leaves them
    QTest::newRow("rows in the log") << true;
    QTest::newRow("rows in the file, rollback journal") << false;
}

// A real ext4 file system in an image file, read back raw once unmounted: what SQLite freed
// without overwriting (a log or journal it truncated or removed) would still show there.
void tst_DatabaseController::secureDeleteLeavesNoRowOnTheDisk()
{
    QFETCH(bool, wal);
    FakeHome home; // the secure setting goes to its settings, not the real home's
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    LoopDisk disk(dir.path(), 16);
    if (!disk.whyNot.isEmpty())
        SKIP_OR_FAIL_IN_CI(qPrintable(disk.whyNot));
    const QString image = disk.image;
    const QString mountPoint = disk.point;

    // 300 private rows and one that stays, in the log or in the file itself.
    const QByteArray rows = "CREATE TABLE t (id INTEGER PRIMARY KEY, v TEXT);"
                            "INSERT INTO t (v) VALUES ('kept-row-marker');";
    const QByteArray privateRows = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                                   "INSERT INTO t (v) SELECT printf('private-row-marker-%03d', i) FROM n;";
    const QString path = mountPoint + u"/store.sqlite"_s;
    const QString built = wal ? dir.filePath(u"staging.sqlite"_s) : path;
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(built).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, (wal ? "PRAGMA journal_mode = WAL;" + rows : rows + privateRows).constData(), nullptr,
                          nullptr, nullptr),
             SQLITE_OK);
    if (wal) {
        // Copied into place while the writer still holds its log, which is never folded back.
        QCOMPARE(sqlite3_exec(db, "PRAGMA wal_autocheckpoint = 0;" + privateRows, nullptr, nullptr, nullptr),
                 SQLITE_OK);
        for (const QString &suffix : {QString(), u"-wal"_s})
            QVERIFY(QFile::copy(built + suffix, path + suffix));
    }
    sqlite3_close(db);
    ::sync();
    auto onDisk = [&image](const QByteArray &marker) {
        QFile raw(image);
        return raw.open(QIODevice::ReadOnly) ? int(raw.readAll().count(marker)) : -1;
    };
    QVERIFY(onDisk("private-row-marker-") >= 300);

    platform::UserDefaults::standardUserDefaults().setBool(true, u"enableSecureDelete"_s);
    DatabaseController controller;
    QVERIFY(controller.didDeleteRecordsWithInfo(u"DELETE FROM t WHERE v GLOB 'private-*';"_s, path));
    sqlite3 *check = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &check, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    QCOMPARE(single(check, "PRAGMA integrity_check"), u"ok"_s);
    QCOMPARE(single(check, "SELECT group_concat(v) FROM t"), u"kept-row-marker"_s);
    sqlite3_close(check);

    disk.unmount();
    QCOMPARE(onDisk("private-row-marker-"), 0);
    QVERIFY(onDisk("kept-row-marker") > 0); // the image is read as it lies
}

void tst_DatabaseController::sideFilesGoAsAtACleanClose_data()
{
    QTest::addColumn<bool>("secure");
    QTest::addColumn<bool>("wal");
    QTest::newRow("plain, log left by a browser not closed") << false << true;
    QTest::newRow("secure, log left by a browser not closed") << true << true;
    QTest::newRow("secure, rollback journal") << true << false;
}

// A store's side files are gone after the clean, as SQLite leaves them after a clean close,
// also when a browser that did not close left its log and the log's index beside the store.
void tst_DatabaseController::sideFilesGoAsAtACleanClose()
{
    QFETCH(bool, secure);
    QFETCH(bool, wal);
    FakeHome home;
    const QString path = home.path(u"Library/cookies.sqlite"_s);
    if (wal) {
        const QString built = home.path(u"staging.sqlite"_s);
        sqlite3 *writer = nullptr;
        QCOMPARE(sqlite3_open(platform::encodePath(built).constData(), &writer), SQLITE_OK);
        QCOMPARE(sqlite3_exec(writer, QByteArray("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;") + schema,
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        QVERIFY(home.makeDir(u"Library"_s));
        for (const QString &suffix : {QString(), u"-wal"_s, u"-shm"_s})
            QVERIFY(QFile::copy(built + suffix, path + suffix));
        sqlite3_close(writer);
    } else {
        QVERIFY(home.createSqlite(u"Library/cookies.sqlite"_s, QString::fromLatin1(schema)));
    }
    platform::UserDefaults::standardUserDefaults().setBool(secure, u"enableSecureDelete"_s);

    DatabaseController db;
    QVERIFY(db.didDeleteRecordsWithInfo(u"DELETE FROM b;"_s, path));
    for (const QString &suffix : {u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QVERIFY2(!QFile::exists(path + suffix), qPrintable(suffix));
    const Probe after = probe(path);
    QCOMPARE(after.integrity, u"ok"_s);
    QCOMPARE(after.rowsA, 150);
    QCOMPARE(after.rowsB, 0);
}

void tst_DatabaseController::storeFilesThatAreNoPlainFile_data()
{
    QTest::addColumn<QString>("suffix"); // of the entry beside the store, empty for the store
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("wal");
    QTest::newRow("store is a pipe") << ""
                                     << "pipe" << false;
    QTest::newRow("journal is a pipe") << "-journal"
                                       << "pipe" << false;
    QTest::newRow("log is a pipe") << "-wal"
                                   << "pipe" << true;
    QTest::newRow("shared memory is a pipe") << "-shm"
                                             << "pipe" << true;
    QTest::newRow("journal links outside") << "-journal"
                                           << "link" << false;
    QTest::newRow("log links to a device") << "-wal"
                                           << "device" << true;
    QTest::newRow("store has a second name") << ""
                                             << "hard link" << false;
    // A journal left by a crash may name the super-journal of a transaction over several
    // stores; rolling back, SQLite reads that file and removes it. Here it names a document.
    QTest::newRow("journal names a document as its super-journal") << "-journal"
                                                                   << "super" << false;
}

// SQLite opens the store and its side files by name, with blocking opens that follow links:
// neither the scan's read-only connection nor the delete may open a store beside which lies
// anything but plain files of its own. Both answer at once, and nothing changes anywhere.
void tst_DatabaseController::storeFilesThatAreNoPlainFile()
{
    QFETCH(QString, suffix);
    QFETCH(QString, kind);
    QFETCH(bool, wal);
    FakeHome home;
    const QString path = home.path(u"Library/History"_s);
    const QString outside = home.path(u"Documents/kept.txt"_s);
    QVERIFY(home.writeFile(u"Documents/kept.txt"_s, QByteArray("not the store's\n").repeated(64)));
    const QByteArray entry = platform::encodePath(path + suffix);
    if (suffix.isEmpty() && kind == u"pipe"_s) {
        QVERIFY(home.makeDir(u"Library"_s));
    } else {
        QVERIFY(home.createSqlite(u"Library/History"_s, QString::fromLatin1(schema)));
        if (wal) {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(platform::encodePath(path).constData(), &db), SQLITE_OK);
            const QString mode = single(db, "PRAGMA journal_mode = WAL");
            sqlite3_close(db);
            QCOMPARE(mode, u"wal"_s);
        }
    }
    if (kind == u"pipe"_s)
        QCOMPARE(::mkfifo(entry.constData(), 0600), 0);
    else if (kind == u"link"_s)
        QVERIFY(QFile::link(outside, path + suffix));
    else if (kind == u"device"_s)
        QVERIFY(QFile::link(u"/dev/zero"_s, path + suffix));
    else if (kind == u"super"_s)
        QVERIFY(FakeHome::writeFileAt(path + suffix, journalNamingSuperJournal(platform::encodePath(outside))));
    else
        QCOMPARE(::link(entry.constData(), platform::encodePath(outside + u".db"_s).constData()), 0);

    bool hung = false;
    const auto [opened, cleaned] = boundedRun(
        [path] {
            sqlite3 *db = DatabaseController::openStore(path, DatabaseController::Access::ReadOnly);
            const bool opened = db != nullptr;
            sqlite3_close(db);
            DatabaseController controller;
            return std::pair(opened, controller.didDeleteRecordsWithInfo(u"DELETE FROM a;"_s, path));
        },
        {entry}, hung);
    QVERIFY2(!hung, "the store was opened with a blocking open on a pipe");
    QCOMPARE(opened, kind == u"super"_s); // only the rollback of a read-write connection reads it
    QCOMPARE(FileManager::defaultManager().contentsAtPath(outside).value_or(QByteArray()),
             QByteArray("not the store's\n").repeated(64));
    QVERIFY(!cleaned);
    if (suffix.isEmpty() && kind == u"pipe"_s)
        return;
    if (!suffix.isEmpty())
        ::unlink(entry.constData()); // so that the check below reads the store alone
    QCOMPARE(probe(path).rowsA, 150);
}

void tst_DatabaseController::killAfterSecureDeleteCommits_data()
{
    QTest::addColumn<bool>("wal");
    QTest::newRow("rollback journal") << false;
    QTest::newRow("log") << true;
}

// A kill right after a secure delete commits, before the log or journal is overwritten: the
// next launch overwrites it, so no deleted value stays readable there for good.
void tst_DatabaseController::killAfterSecureDeleteCommits()
{
    QFETCH(bool, wal);
    FakeHome home;
    const QString schemaText = (wal ? u"PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"_s : QString())
        + u"CREATE TABLE autofill (name TEXT, value TEXT);"
          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200)"
          "  INSERT INTO autofill SELECT 'email', printf('form-value-marker-%03d', i) FROM n;"_s;
    QVERIFY(home.createSqlite(u"Library/Web Data"_s, schemaText));
    const QString path = home.path(u"Library/Web Data"_s);
    const QString folder = home.path(u"Library"_s);
    auto &defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setBool(true, u"enableSecureDelete"_s);
    QVERIFY(defaults.synchronize());

    const int ended = inChild([&] {
        DatabaseController::setAfterCommitHook([] { ::raise(SIGKILL); });
        DatabaseController().didDeleteRecordsWithInfo(u"DELETE FROM autofill;"_s, path);
        return 0;
    });
    QCOMPARE(ended, 128 + SIGKILL);
    // What the kill left: the deleted values, readable beside the store.
    QVERIFY(countIn(folder, "form-value-marker-") > 0);

    // The next launch.
    platform::UserDefaults::resetStandardUserDefaults();
    DatabaseController::finishPendingWipes();
    QCOMPARE(countIn(folder, "form-value-marker-"), 0);
    QVERIFY(!platform::UserDefaults::standardUserDefaults().objectForKey(u"pendingSideFileWipes"_s).isValid());
    sqlite3 *check = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &check, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    QCOMPARE(single(check, "PRAGMA integrity_check"), u"ok"_s);
    QCOMPARE(single(check, "SELECT count(*) FROM autofill"), u"0"_s);
    sqlite3_close(check);
}

void tst_DatabaseController::fullDiskFailsTheDelete_data()
{
    QTest::addColumn<bool>("scan"); // the scan's read-only count, else the delete
    QTest::newRow("delete") << false;
    QTest::newRow("scan's count") << true;
}

// A store in WAL mode, its log not yet folded back, on a disk with a few kilobytes left: the
// delete (or the count) fails and the store is as it was, at every amount of room (a -shm
// mapped over blocks the disk cannot give ends the process with SIGBUS instead).
void tst_DatabaseController::fullDiskFailsTheDelete()
{
    QFETCH(bool, scan);
    FakeHome home; // the secure setting goes to its settings, not the real home's
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Small blocks, as a small disk has them, and none kept back for root.
    LoopDisk disk(dir.path(), 2, {u"-b"_s, u"1024"_s, u"-m"_s, u"0"_s});
    if (!disk.whyNot.isEmpty())
        SKIP_OR_FAIL_IN_CI(qPrintable(disk.whyNot));
    const QString mountPoint = disk.point;
    platform::UserDefaults::standardUserDefaults().setBool(false, u"enableSecureDelete"_s);

    const QString path = mountPoint + u"/Web Data"_s;
    const QString filler = mountPoint + u"/filler"_s;
    for (const int freeKb : {4, 8, 10, 12, 16, 32}) {
        FileManager::defaultManager().removeItemAtPath(filler);
        for (const char *suffix : {"", "-wal", "-shm"})
            FileManager::defaultManager().removeItemAtPath(path + QLatin1String(suffix));
        // Copied into place while the writer still holds its log, as a browser leaves it.
        const QString staging = dir.filePath(u"staging%1"_s.arg(freeKb));
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(staging).constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db,
                              "PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"
                              "CREATE TABLE autofill (name TEXT, value TEXT);"
                              "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300)"
                              "  INSERT INTO autofill SELECT 'email', printf('%0100d', i) FROM n;",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        for (const QString &suffix : {QString(), u"-wal"_s})
            QVERIFY(QFile::copy(staging + suffix, path + suffix));
        sqlite3_close(db);
        // Filled to the last block, then that much room given back.
        QFile fill(filler);
        QVERIFY(fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (fill.write(block) == block.size()) {}
        QVERIFY(fill.size() > freeKb * 1024 && fill.resize(fill.size() - freeKb * 1024));
        fill.close();

        const int ended = inChild([&] {
            if (!scan)
                return DatabaseController().didDeleteRecordsWithInfo(u"DELETE FROM autofill;"_s, path) ? 0 : 1;
            sqlite3 *reader = DatabaseController::openStore(path, DatabaseController::Access::ReadOnly);
            const bool counted = reader && !single(reader, "SELECT count(*) FROM autofill").isEmpty();
            sqlite3_close(reader);
            return counted ? 0 : 1;
        });
        QVERIFY2(ended == 0 || ended == 1, qPrintable(u"%1 KB free: ended with %2"_s.arg(freeKb).arg(ended)));
        if (ended == 1 || scan) {
            FileManager::defaultManager().removeItemAtPath(filler); // room to read it back
            sqlite3 *check = nullptr;
            QCOMPARE(sqlite3_open_v2(QFile::encodeName(path).constData(), &check, SQLITE_OPEN_READONLY, nullptr),
                     SQLITE_OK);
            QCOMPARE(single(check, "SELECT count(*) FROM autofill"), u"300"_s);
            sqlite3_close(check);
        }
    }
}

void tst_DatabaseController::scanCountLeavesTheFolderAsFound_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("sideFiles"); // beside the store as the scan finds it
    QTest::addColumn<int>("expected");
    QTest::newRow("log store closed cleanly") << u"closed"_s << QStringList{} << 3;
    // Rows committed to the log only, the log's index kept in memory (a browser holding the
    // store alone, killed): they count.
    QTest::newRow("log holding rows, no index") << u"killed"_s << QStringList{u"-wal"_s} << 5;
    // A browser sharing its store, killed: the index is rebuilt in memory, not in its file.
    QTest::newRow("log and index left behind") << u"shared"_s << QStringList{u"-wal"_s, u"-shm"_s} << 5;
    QTest::newRow("rollback journal store") << u"rollback"_s << QStringList{} << 3;
}

// The scan's count reads every committed row and leaves the store's folder exactly as it found
// it: no log or index made beside a store closed cleanly, none removed or folded back.
void tst_DatabaseController::scanCountLeavesTheFolderAsFound()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, sideFiles);
    QFETCH(int, expected);
    FakeHome home;
    QVERIFY(home.makeDir(u"Profile"_s));
    const QString path = home.path(u"Profile/places.sqlite"_s);
    const QString built = home.path(u"staging.sqlite"_s);
    sqlite3 *writer = nullptr;
    QCOMPARE(sqlite3_open(platform::encodePath(built).constData(), &writer), SQLITE_OK);
    const QByteArray mode = layout == u"rollback"_s ? "PRAGMA journal_mode = DELETE;" : "PRAGMA journal_mode = WAL;";
    QCOMPARE(sqlite3_exec(writer, mode + "PRAGMA wal_autocheckpoint = 0;" + schema, nullptr, nullptr, nullptr),
             SQLITE_OK);
    if (!sideFiles.isEmpty()) {
        QCOMPARE(sqlite3_exec(writer, "PRAGMA wal_checkpoint(TRUNCATE); INSERT INTO b (v) VALUES ('four'), ('five');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
        for (const QString &suffix : QStringList{QString()} + sideFiles)
            QVERIFY(QFile::copy(built + suffix, path + suffix));
        sqlite3_close(writer);
    } else {
        sqlite3_close(writer); // a clean close: the log is folded back and removed
        QVERIFY(!QFile::exists(built + u"-wal"_s));
        QVERIFY(QFile::copy(built, path));
    }
    for (const QString &suffix : {u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QCOMPARE(QFile::exists(path + suffix), sideFiles.contains(suffix));
    const QStringList before = listing(home.path(u"Profile"_s));

    sqlite3 *reader = DatabaseController::openStore(path, DatabaseController::Access::ReadOnly);
    QVERIFY(reader);
    QCOMPARE(single(reader, "SELECT count(*) FROM b"), QString::number(expected));
    QCOMPARE(single(reader, "SELECT count(*) FROM a"), u"150"_s);
    sqlite3_close(reader);
    QCOMPARE(listing(home.path(u"Profile"_s)), before);
}

QTEST_GUILESS_MAIN(tst_DatabaseController)
#include "tst_databasecontroller.moc"
