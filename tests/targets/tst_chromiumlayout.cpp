#include "ChromiumModules.h"

#include "platform/files/FileManager.h"
#include "support/BoundedRun.h"
#include "targets/chromiumlayout/LevelDbStore.h"
#include "targets/chromiumlayout/LocalStorageKeepList.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace chromiummodules;
using platform::FileManager;

namespace {

enum class HistoryFile { Current, UrlsEmpty, NoUrls, Old, NoSegments, Missing, NotADatabase, Locked };

QStringList readTree(const QString &folder)
{
    QStringList entries;
    for (const QString &relative : FileManager::defaultManager().enumeratorAtPath(folder)) {
        const QString path = folder + QLatin1Char('/') + relative;
        const auto bytes = FileManager::defaultManager().contentsAtPath(path);
        entries.append(relative + QLatin1Char('=') + QString::fromLatin1(bytes.value_or(QByteArray("<dir>")).toHex()));
    }
    entries.sort();
    return entries;
}

QStringList topNames(const QString &folder)
{
    QStringList names = FileManager::defaultManager().contentsOfDirectoryAtPath(folder);
    names.sort();
    return names;
}

// Local Storage entries: "name/" is a folder, anything else a file. False when one could
// not be made.
bool writeEntries(const Fixture &f, const QString &folder, const QStringList &entries)
{
    if (!f.home.makeDir(folder))
        return false;
    for (const QString &entry : entries) {
        const bool made = entry.endsWith(QLatin1Char('/'))
            ? f.home.makeDir(folder + QLatin1Char('/') + entry)
            : f.home.writeFile(folder + QLatin1Char('/') + entry, entry.toUtf8().repeated(30));
        if (!made)
            return false;
    }
    return true;
}

} // namespace

class tst_ChromiumLayout : public QObject
{
    Q_OBJECT
private slots:
    void historyProbes_data();
    void historyProbes();
    void historyIndexSweep_data();
    void historyIndexSweep();
    void localStorageKeepList_data();
    void localStorageKeepList();
    void localStorageStoreKeptByOrigin_data();
    void localStorageStoreKeptByOrigin();
    void localStorageGoneOrLinkedAtCleaning_data();
    void localStorageGoneOrLinkedAtCleaning();
    void downloadStoreKeepsOtherComponents_data();
    void downloadStoreKeepsOtherComponents();
    void lastSessionOnCurrentLayout_data();
    void lastSessionOnCurrentLayout();
};

void tst_ChromiumLayout::historyProbes_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<int>("history");
    QTest::addColumn<QStringList>("expected");

    const QString bh = u"Browsing History"_s, hs = u"History Segments"_s, abh = u"Archived Browsing History"_s,
                  mhi = u"Monthly History Index"_s, vl = u"Visited Links History"_s, lbh = u"Legacy Browsing History"_s,
                  lth = u"Legacy Typed History"_s, dh = u"Download History"_s, dhc = u"Download History URL Chains"_s,
                  ldh = u"Legacy Download History"_s, rs = u"Recent Searches"_s, lrs = u"Legacy Recent Searches"_s;
    const QStringList browsingAfterProbes{abh, mhi, mhi, mhi, vl, lbh, lth};
    const QStringList downloadsAndSearches{dh, dhc, ldh, rs, lrs};
    const struct
    {
        const char *name;
        HistoryFile history;
        QStringList expected;
    } cases[] = {
        {"current schema", HistoryFile::Current, QStringList{bh, hs} + browsingAfterProbes + downloadsAndSearches},
        {"empty urls, segments hold rows", HistoryFile::UrlsEmpty,
         QStringList{hs} + browsingAfterProbes + downloadsAndSearches},
        // A failed count ends its collector; the others probe on their own connections.
        {"urls count fails", HistoryFile::NoUrls, downloadsAndSearches},
        {"no segments table", HistoryFile::NoSegments, QStringList{bh} + downloadsAndSearches},
        // No URL chains yet: that count fails and ends the downloads collector.
        {"old schema", HistoryFile::Old, QStringList{bh, hs} + browsingAfterProbes + QStringList{dh, rs, lrs}},
        {"History missing", HistoryFile::Missing, browsingAfterProbes + QStringList{ldh, lrs}},
        {"not a database", HistoryFile::NotADatabase, {}},
        {"locked by the browser", HistoryFile::Locked, {}},
    };
    for (const QString &app : {u"Chrome"_s, u"Opera"_s, u"Flock"_s}) {
        const Browser m = named(app);
        for (const auto &c : cases) {
            QStringList expected;
            for (const QString &cls : c.expected) {
                if (m.has(cls))
                    expected.append(app + QLatin1Char(' ') + cls);
            }
            QTest::addRow("%s, %s", qPrintable(app), c.name) << app << int(c.history) << expected;
        }
    }
}

void tst_ChromiumLayout::historyProbes()
{
    QFETCH(QString, app);
    QFETCH(int, history);
    QFETCH(QStringList, expected);
    Fixture f(named(app));
    f.onlyKeys({u"Browsing"_s, u"Downloads"_s, u"RecentSearches"_s});
    const QString historyPath = f.browser.profile + u"/History"_s;
    QString sql;
    switch (HistoryFile(history)) {
    case HistoryFile::Current:
    case HistoryFile::Locked:
        sql = chromiumprofiles::currentHistory();
        break;
    case HistoryFile::UrlsEmpty:
        sql = chromiumprofiles::currentHistory() + u"DELETE FROM urls;"_s;
        break;
    case HistoryFile::NoUrls:
        sql = chromiumprofiles::currentHistory() + u"DROP TABLE urls;"_s;
        break;
    case HistoryFile::NoSegments:
        sql = chromiumprofiles::currentHistory() + u"DROP TABLE segments;"_s;
        break;
    case HistoryFile::Old:
        sql = chromiumprofiles::oldHistory();
        break;
    case HistoryFile::NotADatabase:
        QVERIFY(f.home.writeFile(historyPath, QByteArray("SQLite format 2\0 not quite", 26).repeated(200)));
        break;
    case HistoryFile::Missing:
        break;
    }
    if (!sql.isEmpty())
        QVERIFY(f.home.createSqlite(historyPath, sql));
    QVERIFY(f.home.createSqlite(f.browser.profile + u"/Archived History"_s, chromiumprofiles::archivedHistory()));
    for (const char *index : {"History Index 2024-01", "History Index 2024-02", "History Index 2024-02-journal"})
        QVERIFY(f.home.writeFile(f.browser.profile + QLatin1Char('/') + QLatin1String(index), "index"));
    QVERIFY(f.home.writeFile(f.browser.profile + u"/Visited Links"_s, "links"));
    for (const char *legacy : {"global_history.dat", "typed_history.xml", "download.dat", "search_field_history.dat"})
        QVERIFY(f.home.writeFile(u"Library/Opera/"_s + QLatin1String(legacy), "legacy"));

    sqlite3 *lock = nullptr;
    if (HistoryFile(history) == HistoryFile::Locked) {
        QCOMPARE(sqlite3_open(f.path(historyPath).toUtf8().constData(), &lock), SQLITE_OK);
        QCOMPARE(sqlite3_exec(lock, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    const QStringList names = f.scannedNames();
    if (lock) {
        sqlite3_exec(lock, "ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close(lock);
    }
    // The index entries come in the file system's order; compare them as a set.
    QStringList sortedNames = names, sortedExpected = expected;
    sortedNames.sort();
    sortedExpected.sort();
    QCOMPARE(sortedNames, sortedExpected);
    QStringList withoutIndex = names, expectedWithoutIndex = expected;
    withoutIndex.removeAll(app + u" Monthly History Index"_s);
    expectedWithoutIndex.removeAll(app + u" Monthly History Index"_s);
    QCOMPARE(withoutIndex, expectedWithoutIndex);
    // A probe never makes a database that was not there.
    if (HistoryFile(history) == HistoryFile::Missing)
        QVERIFY(!QFileInfo::exists(f.path(historyPath)));
}

void tst_ChromiumLayout::historyIndexSweep_data()
{
    QTest::addColumn<QString>("app");
    for (const char *app : {"Chrome", "Chromium", "Opera", "Flock"})
        QTest::newRow(app) << QString::fromLatin1(app);
}

// One row per index file of the profile ("History Index YYYY-MM" and its journal), each
// cleaned on its own; nothing else is moved under that name, lookalikes, folders and links.
void tst_ChromiumLayout::historyIndexSweep()
{
    QFETCH(QString, app);
    Fixture f(named(app));
    f.onlyKeys({u"Browsing"_s});
    const QString p = f.browser.profile + QLatin1Char('/');
    const QStringList indexes = {u"History Index 2024-01"_s, u"History Index 2024-02"_s,
                                 u"History Index 2024-02-journal"_s};
    for (const QString &name : indexes)
        QVERIFY(f.home.createSqlite(p + name, chromiumprofiles::historyIndex()));
    for (const char *other : {"Sub/History Index 2024-03", "history index 2024-04", "Old History Index", "Preferences",
                              "History Index notes.txt", "History Index folder/notes", "History Index 2024-05/x",
                              "History Index 2024-2", "History Index 2024-03-journal.bak"})
        QVERIFY(f.home.writeFile(p + QLatin1String(other), "not an index of this profile"));
    // Links named as an index, to a file and to a folder: what they point at is not the profile's.
    QVERIFY(f.home.writeFile(u"Elsewhere/History Index 2024-06"_s, "the user's own"));
    QVERIFY(QFile::link(f.path(u"Elsewhere/History Index 2024-06"_s), f.path(p + u"History Index 2024-06"_s)));
    QVERIFY(QFile::link(f.path(u"Elsewhere"_s), f.path(p + u"History Index 2024-07"_s)));

    const QString itemName = app + u" Monthly History Index"_s;
    QSet<QString> offered;
    for (const resultItemPtr &row : f.scan()) {
        QCOMPARE(row->resultItemName(), itemName);
        QCOMPARE(row->resultItemType(), u"File"_s);
        offered.insert(row->resultItemPath());
    }
    QCOMPARE(offered, (QSet<QString>{f.path(p + indexes[0]), f.path(p + indexes[1]), f.path(p + indexes[2])}));

    // Cleaning one moves that one only.
    f.clean(itemName, f.path(p + indexes[1]));
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    QCOMPARE(f.recorder.events.first().info.value(u"removalItemRefPath"_s).toString(), f.path(p + indexes[1]));
    QVERIFY(!QFileInfo::exists(f.path(p + indexes[1])));
    QVERIFY(QFileInfo::exists(f.path(p + indexes[0])) && QFileInfo::exists(f.path(p + indexes[2])));
    QCOMPARE(f.scan().size(), 2);

    // A request under this name for anything the sweep would not offer moves nothing; one
    // whose file has gone is not cleaned either.
    const QStringList refused = {f.path(p + u"Preferences"_s),
                                 f.path(p + u"Sub/History Index 2024-03"_s),
                                 f.path(u"History Index 2024-01"_s),
                                 f.path(p + indexes[1]),
                                 f.path(p + u"Sub/../History Index 2024-01"_s),
                                 f.path(p + u"History Index notes.txt"_s),
                                 f.path(p + u"History Index folder"_s),
                                 f.path(p + u"History Index 2024-05"_s),
                                 f.path(p + u"History Index 2024-06"_s),
                                 f.path(p + u"History Index 2024-07"_s)};
    for (const QString &path : refused) {
        f.recorder.clear();
        f.clean(itemName, path);
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        QCOMPARE(f.recorder.events.first().info.value(u"cleaningItemPath"_s).toString(), path);
        QVERIFY(!f.recorder.events.first().info.value(u"didClean"_s).toBool());
    }
    QVERIFY(QFileInfo::exists(f.path(p + u"Preferences"_s)));
    QVERIFY(QFileInfo::exists(f.path(p + indexes[0])));
    for (const char *kept : {"History Index notes.txt", "History Index folder/notes", "History Index 2024-05/x"})
        QVERIFY2(QFileInfo::exists(f.path(p + QLatin1String(kept))), kept);
    QVERIFY(QFileInfo(f.path(p + u"History Index 2024-06"_s)).isSymLink());
    QVERIFY(QFileInfo(f.path(p + u"History Index 2024-07"_s)).isSymLink());
    QVERIFY(QFileInfo::exists(f.path(u"Elsewhere/History Index 2024-06"_s)));
}

void tst_ChromiumLayout::localStorageKeepList_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QStringList>("left"); // what the folder holds after cleaning

    const QString ext = u"chrome-extension_aapocclcgogkmnckokdopfmhonfmgoek_0.localstorage"_s;
    const QString extJournal = ext + u"-journal"_s;
    const QString site = u"https_www.example.org_0.localstorage"_s;
    const QString extFolder = u"chrome-extension_fhbjgbiflinjbdggehcddcbncdddomop/"_s;
    const QString startPage = u"opera_startpage_0.localstorage"_s;
    const QString discover = u"opera_discover_0.localstorage"_s;
    const QStringList leveldb = {u"leveldb/"_s, u"leveldb/CURRENT"_s, u"leveldb/000003.log"_s,
                                 u"leveldb/MANIFEST-000001"_s};
    const QStringList extensions{ext, extJournal};

    for (const QString &app : {u"Chrome"_s, u"Chromium"_s, u"Opera"_s}) {
        const bool opera = app == QLatin1String("Opera");
        const QByteArray name = app.toLatin1();
        const char *a = name.constData();
        QTest::addRow("%s, extensions only", a) << app << extensions << false << extensions;
        QTest::addRow("%s, one other site", a) << app << extensions + QStringList{site} << true << extensions;
        QTest::addRow("%s, other name inside a kept folder", a)
            << app << QStringList{ext, extFolder, extFolder + u"000003.log"_s} << true
            << QStringList{ext, extFolder.chopped(1)};
        QTest::addRow("%s, only a site", a) << app << QStringList{site} << true << QStringList{};
        QTest::addRow("%s, browser's own pages", a)
            << app << QStringList{ext, startPage, discover} << !opera
            << (opera ? QStringList{ext, discover, startPage} : QStringList{ext});
        QTest::addRow("%s, empty folder", a) << app << QStringList{} << false << QStringList{};
    }
    // Flock keeps nothing: its folder goes whole, whatever the entries are named.
    QTest::newRow("Flock, extensions only") << u"Flock"_s << extensions << true << QStringList{};
    QTest::newRow("Flock, leveldb layout") << u"Flock"_s << extensions + leveldb << true << QStringList{};
}

void tst_ChromiumLayout::localStorageKeepList()
{
    QFETCH(QString, app);
    QFETCH(QStringList, entries);
    QFETCH(bool, offered);
    QFETCH(QStringList, left);
    Fixture f(named(app));
    f.onlyKeys({u"DOM"_s});
    const QString folder = f.browser.profile + u"/Local Storage"_s;
    const QString path = f.path(folder);
    QVERIFY(f.scannedNames().isEmpty()); // no folder, no row
    QVERIFY(writeEntries(f, folder, entries));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QStringList before = readTree(path);

    const QString itemName = app + u" DOM Storage"_s;
    const QList<resultItemPtr> rows = f.scan();
    QCOMPARE(rows.size(), offered ? 1 : 0);
    if (!offered)
        return;
    QCOMPARE(rows.first()->resultItemName(), itemName);
    QCOMPARE(rows.first()->resultItemPath(), path);
    QCOMPARE(rows.first()->resultItemType(), u"Dir"_s);

    f.clean(itemName, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(u"removalItemName"_s).toString(), itemName);
    QCOMPARE(info.value(u"removalItemRefPath"_s).toString(), path);
    const QString moved = info.value(u"removalItemPath"_s).toString();
    QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());

    QStringList sortedLeft = left;
    sortedLeft.sort();
    if (app == QLatin1String("Flock")) {
        QVERIFY(!QFileInfo::exists(path));
    } else {
        QCOMPARE(topNames(path), sortedLeft);
        // The folder made again is as private as the one set aside.
        QCOMPARE(FileManager::defaultManager().attributesOfItemAtPath(path)->permissions, mode_t(0700));
    }
    // Kept entries are back byte for byte, whole folders with all they hold; the rest waits
    // in the folder set aside for the removal engine, and nothing was lost on the way.
    QStringList after = readTree(path) + readTree(moved);
    after.sort();
    QCOMPARE(after, before);
    for (const QString &name : std::as_const(left))
        QVERIFY2(!QFileInfo::exists(moved + QLatin1Char('/') + name), qPrintable(name));
}

// Bytewise order under another name, as a store of another kind is ordered.
class OtherComparator : public leveldb::Comparator
{
public:
    int Compare(const leveldb::Slice &a, const leveldb::Slice &b) const override { return a.compare(b); }
    const char *Name() const override { return "idb_cmp1"; }
    void FindShortestSeparator(std::string *, const leveldb::Slice &) const override {}
    void FindShortSuccessor(std::string *) const override {}
};

enum class Store {
    Readable,
    Locked,
    Damaged,
    OtherOrder,
    Linked,
    // Entries the library would open by name, each made in place of the store's own.
    PipeCurrent,
    PipeManifest,
    PipeLog,
    LockLinkedOutside,
    ManifestLinkedOutside,
    CurrentNamesOutside,
    OversizedEntry,
};

void tst_ChromiumLayout::localStorageStoreKeptByOrigin_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<int>("store");
    for (const char *app : {"Chrome", "Chromium", "Opera"}) {
        QTest::addRow("%s, sites and extensions", app) << QString::fromLatin1(app) << int(Store::Readable);
        QTest::addRow("%s, locked by the browser", app) << QString::fromLatin1(app) << int(Store::Locked);
        QTest::addRow("%s, damaged log", app) << QString::fromLatin1(app) << int(Store::Damaged);
        QTest::addRow("%s, another comparator", app) << QString::fromLatin1(app) << int(Store::OtherOrder);
        QTest::addRow("%s, store is a link", app) << QString::fromLatin1(app) << int(Store::Linked);
        QTest::addRow("%s, CURRENT is a pipe", app) << QString::fromLatin1(app) << int(Store::PipeCurrent);
        QTest::addRow("%s, MANIFEST is a pipe", app) << QString::fromLatin1(app) << int(Store::PipeManifest);
        QTest::addRow("%s, log is a pipe", app) << QString::fromLatin1(app) << int(Store::PipeLog);
        QTest::addRow("%s, LOCK links outside", app) << QString::fromLatin1(app) << int(Store::LockLinkedOutside);
        QTest::addRow("%s, MANIFEST links outside", app)
            << QString::fromLatin1(app) << int(Store::ManifestLinkedOutside);
        QTest::addRow("%s, CURRENT names a file outside", app)
            << QString::fromLatin1(app) << int(Store::CurrentNamesOutside);
        QTest::addRow("%s, entry larger than any the browser writes", app)
            << QString::fromLatin1(app) << int(Store::OversizedEntry);
    }
}

// The current layout keeps every origin in one store: the kept origins' records are written
// to a new store in its place, the old one goes aside whole. A store that cannot be read
// whole is not touched, and the row is not cleaned.
void tst_ChromiumLayout::localStorageStoreKeptByOrigin()
{
    QFETCH(QString, app);
    QFETCH(int, store);
    Fixture f(named(app));
    f.onlyKeys({u"DOM"_s});
    const QString folder = f.inProfile(u"Local Storage"_s), db = folder + u"/leveldb"_s;
    const QString ext = u"chrome-extension_aapocclcgogkmnckokdopfmhonfmgoek_0.localstorage"_s;
    const QString site = u"https_www.example.org_0.localstorage"_s;
    const QList<QByteArray> extensions = {"chrome-extension://aapocclcgogkmnckokdopfmhonfmgoek",
                                          "chrome-extension://fhbjgbiflinjbdggehcddcbncdddomop"};
    const QList<QByteArray> sites = {"https://www.example.org", "http://localhost:8080",
                                     "https://chrome-extension.example.com", "file://"};
    const auto all = chromiumprofiles::localStorageRecords(extensions + sites);
    const auto kept = chromiumprofiles::localStorageRecords(extensions);
    const QString elsewhere = f.path(u"Elsewhere/leveldb"_s);
    OtherComparator otherOrder;
    QVERIFY(chromiumprofiles::writeStore(Store(store) == Store::Linked ? elsewhere : db, all,
                                         Store(store) == Store::OtherOrder ? &otherOrder : nullptr));
    if (Store(store) == Store::Linked)
        QVERIFY(f.home.makeDir(f.browser.profile + u"/Local Storage"_s) && QFile::link(elsewhere, db));
    QVERIFY(f.home.createSqlite(f.browser.profile + u"/Local Storage/"_s + ext, chromiumprofiles::localStorageFile()));
    QVERIFY(FakeHome::writeFileAt(folder + QLatin1Char('/') + site, "site"));
    QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    // A profile shared with a group: the store and its files are the group's to read.
    const gid_t group = geteuid() == 0 ? gid_t(65534) : getegid();
    auto look = [](const QString &path) {
        struct stat st = {};
        lstat(QFile::encodeName(path).constData(), &st);
        return std::pair(st.st_mode & 07777, st.st_gid);
    };
    if (Store(store) != Store::Linked) {
        QVERIFY(chmod(QFile::encodeName(db).constData(), 0750) == 0);
        QVERIFY(lchown(QFile::encodeName(db).constData(), uid_t(-1), group) == 0);
        for (const QString &name : QDir(db).entryList(QDir::Files)) {
            const QByteArray file = QFile::encodeName(db + QLatin1Char('/') + name);
            QVERIFY(lchown(file.constData(), uid_t(-1), group) == 0 && chmod(file.constData(), 0640) == 0);
        }
    }
    if (Store(store) == Store::Damaged) {
        const QStringList logs = QDir(db).entryList({u"*.log"_s});
        QCOMPARE(logs.size(), 1);
        QFile log(db + QLatin1Char('/') + logs.first());
        QVERIFY(log.open(QIODevice::ReadWrite) && log.size() > 40);
        QVERIFY(log.seek(log.size() / 2) && log.write("XXXX") == 4);
    }
    QList<QByteArray> pipes;
    const auto entryNamed = [&db](const QString &pattern) {
        const QStringList names = QDir(db).entryList({pattern});
        return names.size() == 1 ? db + QLatin1Char('/') + names.first() : QString();
    };
    const auto replaceWithPipe = [&pipes](const QString &entry) {
        pipes.append(QFile::encodeName(entry));
        return QFile::remove(entry) && ::mkfifo(pipes.last().constData(), 0600) == 0;
    };
    switch (Store(store)) {
    case Store::PipeCurrent:
        QVERIFY(replaceWithPipe(db + u"/CURRENT"_s));
        break;
    case Store::PipeManifest:
        QVERIFY(replaceWithPipe(entryNamed(u"MANIFEST-*"_s)));
        break;
    case Store::PipeLog:
        QVERIFY(replaceWithPipe(entryNamed(u"*.log"_s)));
        break;
    case Store::LockLinkedOutside:
        QVERIFY(f.home.makeDir(u"Elsewhere"_s) && QFile::remove(db + u"/LOCK"_s)
                && QFile::link(elsewhere + u"-lock"_s, db + u"/LOCK"_s));
        break;
    case Store::ManifestLinkedOutside: {
        const QString manifest = entryNamed(u"MANIFEST-*"_s);
        QVERIFY(f.home.makeDir(u"Elsewhere"_s) && QFile::rename(manifest, elsewhere + u"-manifest"_s)
                && QFile::link(elsewhere + u"-manifest"_s, manifest));
        break;
    }
    case Store::CurrentNamesOutside: {
        const QString manifest = entryNamed(u"MANIFEST-*"_s);
        QVERIFY(f.home.makeDir(u"Elsewhere"_s) && QFile::rename(manifest, elsewhere + u"-manifest"_s));
        QVERIFY(FakeHome::writeFileAt(db + u"/CURRENT"_s,
                                      QDir(db).relativeFilePath(elsewhere + u"-manifest"_s).toUtf8() + '\n'));
        break;
    }
    case Store::OversizedEntry: {
        QFile table(db + u"/000099.ldb"_s); // no table the store lists: the library would drop it
        QVERIFY(table.open(QIODevice::WriteOnly) && table.resize(LevelDbStore::maxEntryBytes + 1));
        break;
    }
    default:
        break;
    }
    // The running browser: another process holding the store's lock as the library takes it.
    QProcess browser;
    if (Store(store) == Store::Locked) {
        browser.start(u"python3"_s,
                      {u"-c"_s,
                       u"import fcntl, sys\n"
                       "f = open(sys.argv[1], 'r+')\n"
                       "fcntl.lockf(f, fcntl.LOCK_EX | fcntl.LOCK_NB)\n"
                       "print('locked', flush=True)\n"
                       "sys.stdin.read()\n"_s,
                       db + u"/LOCK"_s});
        QVERIFY(browser.waitForStarted());
        while (!browser.canReadLine() && browser.waitForReadyRead(60000)) {}
        QCOMPARE(browser.readLine(), QByteArray("locked\n"));
    }
    const auto stopBrowser = qScopeGuard([&browser] {
        browser.closeWriteChannel();
        browser.waitForFinished();
    });
    const QString outside = f.path(u"Elsewhere"_s);
    const QStringList before = readTree(folder) + readTree(outside);

    const QString itemName = app + u" DOM Storage"_s;
    const bool linked = Store(store) == Store::Linked;
    QCOMPARE(f.scannedNames(), linked ? QStringList{} : QStringList{itemName});
    // A kill after any step of the clean leaves the kept entry and a whole store where the
    // browser looks, never only in the aside folder that the next launch empties.
    const QStringList keptEntry =
        readTree(folder).filter(QRegularExpression(u"^"_s + QRegularExpression::escape(ext) + u"="_s));
    QCOMPARE(keptEntry.size(), 1);
    int steps = 0;
    bool keptAtEveryStep = true;
    LocalStorageKeepList::setStepHook([&] {
        ++steps;
        keptAtEveryStep =
            keptAtEveryStep && readTree(folder).contains(keptEntry.first()) && QFileInfo(db + u"/CURRENT"_s).isFile();
    });
    const auto unhook = qScopeGuard([] { LocalStorageKeepList::setStepHook({}); });
    bool hung = false;
    boundedRun([&] { return f.clean(itemName, folder); }, pipes, hung);
    QVERIFY2(!hung, "the store was read through a blocking open of a pipe");
    if (Store(store) != Store::Readable) {
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        QVERIFY(!f.recorder.events.first().info.value(u"didClean"_s).toBool());
        QCOMPARE(readTree(folder) + readTree(outside), before);
        QCOMPARE(QDir(FileController::temporaryFolderPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        return;
    }
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const QString moved = f.recorder.events.first().info.value(u"removalItemPath"_s).toString();
    QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());
    QVERIFY(steps >= 2);
    QVERIFY(keptAtEveryStep);
    // The new store looks as the old one did: its mode, its group, its files' modes.
    QCOMPARE(look(db), std::pair(mode_t(0750), group));
    QCOMPARE(look(db + u"/CURRENT"_s), std::pair(mode_t(0640), group));
    // Only the kept origins' records, read back unchanged, with the store's version.
    QCOMPARE(chromiumprofiles::readStore(db), std::optional(kept));
    QCOMPARE(topNames(folder), (QStringList{ext, u"leveldb"_s}));
    // The old store went aside whole, beside the other site's file, for the removal engine.
    QCOMPARE(chromiumprofiles::readStore(moved + u"/leveldb"_s), std::optional(all));
    QCOMPARE(topNames(moved), (QStringList{site, u"leveldb"_s}));
    // A second clean finds nothing more to take and keeps the same records.
    f.recorder.clear();
    f.clean(itemName, folder);
    QCOMPARE(chromiumprofiles::readStore(db), std::optional(kept));
}

void tst_ChromiumLayout::localStorageGoneOrLinkedAtCleaning_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<bool>("link");
    for (const char *app : {"Chrome", "Opera"}) {
        QTest::addRow("%s, folder gone", app) << QString::fromLatin1(app) << false;
        QTest::addRow("%s, folder became a link", app) << QString::fromLatin1(app) << true;
    }
}

// The keep-list moves entries out of what it set aside; through a link that would reach
// into another folder, so a linked Local Storage is left alone.
void tst_ChromiumLayout::localStorageGoneOrLinkedAtCleaning()
{
    QFETCH(QString, app);
    QFETCH(bool, link);
    Fixture f(named(app));
    const QString path = f.inProfile(u"Local Storage"_s);
    const QString elsewhere = f.path(u"Elsewhere"_s);
    QVERIFY(
        writeEntries(f, u"Elsewhere"_s, {u"chrome-extension_x_0.localstorage"_s, u"https_a.example_0.localstorage"_s}));
    const QStringList elsewhereBefore = readTree(elsewhere);
    QVERIFY(f.home.makeDir(f.browser.profile));
    if (link)
        QVERIFY(QFile::link(elsewhere, path));

    f.clean(app + u" DOM Storage"_s, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(u"cleaningItemPath"_s).toString(), path);
    QVERIFY(!f.recorder.events.first().info.value(u"didClean"_s).toBool());
    QCOMPARE(readTree(elsewhere), elsewhereBefore);
    QCOMPARE(QFileInfo(path).isSymLink(), link);
}

enum class DownloadStore { Readable, NoDownloads, Locked, Damaged, Linked, HistoryLocked };

void tst_ChromiumLayout::downloadStoreKeepsOtherComponents_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<int>("store");
    QTest::newRow("Chrome, downloads and other components") << u"Chrome"_s << int(DownloadStore::Readable);
    QTest::newRow("Opera, downloads and other components") << u"Opera"_s << int(DownloadStore::Readable);
    const struct
    {
        const char *name;
        DownloadStore store;
    } cases[] = {
        {"downloads and other components", DownloadStore::Readable},
        {"no download in the store", DownloadStore::NoDownloads},
        {"store locked by the browser", DownloadStore::Locked},
        {"damaged log", DownloadStore::Damaged},
        {"store is a link", DownloadStore::Linked},
        {"History locked", DownloadStore::HistoryLocked},
    };
    for (const auto &c : cases)
        QTest::addRow("Chromium, %s", c.name) << u"Chromium"_s << int(c.store);
}

// The browser puts a download back into its list at start from the store its components
// share: the download list goes from History and from that store together, the other
// components' records and the store's own metadata store stay. A store that cannot be
// read whole, or a History that cannot be cleared, leaves both as they were.
void tst_ChromiumLayout::downloadStoreKeepsOtherComponents()
{
    QFETCH(QString, app);
    QFETCH(int, store);
    const DownloadStore kind = DownloadStore(store);
    Fixture f(named(app));
    f.onlyKeys({u"Downloads"_s});
    const QString history = f.inProfile(u"History"_s), db = f.inProfile(u"shared_proto_db"_s);
    QVERIFY(f.home.createSqlite(f.browser.profile + u"/History"_s, chromiumprofiles::currentHistory()));
    // Keyed as the browser keys them: its number for the component, "_", the component's key.
    const chromiumprofiles::StoreRecords downloads = {
        {"21_download,0b3c5e7a-7f1e-4d0e-9b2a-1c2d3e4f5a6b",
         QByteArray("\x0a\xa0\x01\x0a\x24"
                    "0b3c5e7a-7f1e-4d0e-9b2a-1c2d3e4f5a6b\x1a\x23https://www.example.org/get?user=me",
                    78)},
        {"21_download,205db781-ac8c-4d85-ada9-24bb9efbc850",
         QByteArray("\x0a\x90\x01\x0a\x24"
                    "205db781-ac8c-4d85-ada9-24bb9efbc850\x1a\x1ehttps://cdn.example.org/a.pdf",
                    73)},
    };
    const chromiumprofiles::StoreRecords others = {
        {"20_1_1", QByteArray("\x08\x01\x31", 3)},
        {"37_DEFAULT_1001",
         QByteArray("\x0a\x0e"
                    "Sync.DeviceCount\x10\x02",
                    18)},
        {"39_config", QByteArray("\x0a\x04\x08\x01\x10\x02", 6)},
    };
    const chromiumprofiles::StoreRecords metadata = {{"21_", QByteArray("\x08\x00\x10\x01", 4)},
                                                     {"37_", QByteArray("\x08\x00\x10\x01", 4)},
                                                     {"__global", QByteArray("\x08\x00\x20\x01", 4)}};
    chromiumprofiles::StoreRecords all = others;
    if (kind != DownloadStore::NoDownloads)
        all.insert(downloads);
    const QString elsewhere = f.path(u"Elsewhere/shared_proto_db"_s);
    const QString written = kind == DownloadStore::Linked ? elsewhere : db;
    QVERIFY(chromiumprofiles::writeStore(written, all));
    QVERIFY(chromiumprofiles::writeStore(written + u"/metadata"_s, metadata));
    if (kind == DownloadStore::Linked)
        QVERIFY(QFile::link(elsewhere, db));
    QVERIFY(QFile::setPermissions(written, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    if (kind == DownloadStore::Damaged) {
        const QStringList logs = QDir(db).entryList({u"*.log"_s});
        QCOMPARE(logs.size(), 1);
        QFile log(db + QLatin1Char('/') + logs.first());
        QVERIFY(log.open(QIODevice::ReadWrite) && log.size() > 40);
        QVERIFY(log.seek(log.size() / 2) && log.write("XXXX") == 4);
    }
    QProcess browser; // another process holding the store's lock as the library takes it
    if (kind == DownloadStore::Locked) {
        browser.start(u"python3"_s,
                      {u"-c"_s,
                       u"import fcntl, sys\n"
                       "f = open(sys.argv[1], 'r+')\n"
                       "fcntl.lockf(f, fcntl.LOCK_EX | fcntl.LOCK_NB)\n"
                       "print('locked', flush=True)\n"
                       "sys.stdin.read()\n"_s,
                       db + u"/LOCK"_s});
        QVERIFY(browser.waitForStarted());
        while (!browser.canReadLine() && browser.waitForReadyRead(60000)) {}
        QCOMPARE(browser.readLine(), QByteArray("locked\n"));
    }
    const auto stopBrowser = qScopeGuard([&browser] {
        browser.closeWriteChannel();
        browser.waitForFinished();
    });
    const QStringList storeBefore = readTree(written);
    const QStringList historyBefore = chromiumprofiles::tableRows(history);
    const QString itemName = app + u" Download History"_s;
    QCOMPARE(f.scannedNames(), (QStringList{itemName, app + u" Download History URL Chains"_s}));

    sqlite3 *lock = nullptr; // the browser in the middle of writing History
    if (kind == DownloadStore::HistoryLocked) {
        QCOMPARE(sqlite3_open(history.toUtf8().constData(), &lock), SQLITE_OK);
        QCOMPARE(sqlite3_exec(lock, "BEGIN EXCLUSIVE;", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    const auto unlock = qScopeGuard([&lock] { sqlite3_close(lock); });
    f.clean(itemName, history);
    if (lock) {
        sqlite3_exec(lock, "ROLLBACK;", nullptr, nullptr, nullptr);
        sqlite3_close(lock);
        lock = nullptr;
    }

    if (kind == DownloadStore::Locked || kind == DownloadStore::Damaged || kind == DownloadStore::Linked
        || kind == DownloadStore::HistoryLocked) {
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        QCOMPARE(f.recorder.events.first().info.value(u"cleaningItemPath"_s).toString(), history);
        QVERIFY(!f.recorder.events.first().info.value(u"didClean"_s).toBool());
        QCOMPARE(chromiumprofiles::tableRows(history), historyBefore);
        if (kind != DownloadStore::HistoryLocked) // read, so the library may fold its log in
            QCOMPARE(readTree(written), storeBefore);
        else
            QCOMPARE(chromiumprofiles::readStore(db), std::optional(all));
        QCOMPARE(QFileInfo(db).isSymLink(), kind == DownloadStore::Linked);
        QCOMPARE(QDir(FileController::temporaryFolderPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        return;
    }
    QVERIFY(chromiumprofiles::tableCounts(history).contains(u"downloads=0"_s));
    QVERIFY(chromiumprofiles::tableCounts(history).contains(u"downloads_slices=0"_s));
    QCOMPARE(chromiumprofiles::readStore(db), std::optional(others));
    QCOMPARE(chromiumprofiles::readStore(db + u"/metadata"_s), std::optional(metadata));
    QCOMPARE(FileManager::defaultManager().attributesOfItemAtPath(db)->permissions, mode_t(0700));
    if (kind == DownloadStore::NoDownloads) { // History alone had something to clear
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        QVERIFY(f.recorder.events.first().info.value(u"didClean"_s).toBool());
        return;
    }
    // The old store goes aside whole for the removal engine, announced under the row's path.
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(u"removalItemRefPath"_s).toString(), history);
    const QString moved = info.value(u"removalItemPath"_s).toString();
    QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());
    QCOMPARE(chromiumprofiles::readStore(moved), std::optional(all));
    QVERIFY(!QFileInfo::exists(moved + u"/metadata"_s));
}

void tst_ChromiumLayout::lastSessionOnCurrentLayout_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<bool>("oldFiles");
    for (const char *app : {"Chrome", "Chromium", "Flock"}) {
        QTest::addRow("%s, Sessions folder", app) << QString::fromLatin1(app) << false;
        QTest::addRow("%s, Current Session and Current Tabs too", app) << QString::fromLatin1(app) << true;
    }
}

// Today's browsers keep their last session in "Sessions" (Session_<n>, Tabs_<n>): each file
// is a row of its own under the last-session names, where the older files do not exist.
// Lookalikes, folders and links there are not the browser's and stay.
void tst_ChromiumLayout::lastSessionOnCurrentLayout()
{
    QFETCH(QString, app);
    QFETCH(bool, oldFiles);
    Fixture f(named(app));
    f.onlyKeys({u"LastSession"_s});
    const QString p = f.browser.profile + QLatin1Char('/'), s = p + u"Sessions/"_s;
    const QStringList sessions = {u"Session_13441161475111857"_s, u"Session_13441161490000000"_s};
    const QString tabs = u"Tabs_13441161490795378"_s;
    for (const QString &name : sessions + QStringList{tabs})
        QVERIFY(f.home.writeFile(s + name, QByteArray("SNSS\x03\x00\x00\x00", 8) + name.toUtf8().repeated(20)));
    for (const char *other : {"Session_1.bak", "Tabs_", "Session_7/x", "session_8", "Sub/Session_9"})
        QVERIFY(f.home.writeFile(s + QLatin1String(other), "not the browser's"));
    QVERIFY(f.home.writeFile(u"Elsewhere/Tabs_10"_s, "the user's own"));
    QVERIFY(QFile::link(f.path(u"Elsewhere/Tabs_10"_s), f.path(s + u"Tabs_10"_s)));
    if (oldFiles) {
        QVERIFY(f.home.writeFile(p + u"Current Session"_s, "SNSS old session"));
        QVERIFY(f.home.writeFile(p + u"Current Tabs"_s, "SNSS old tabs"));
    }

    const QString info = app + u" Last Session Information"_s, tabsName = app + u" Last Session Tabs"_s;
    QSet<QPair<QString, QString>> offered;
    for (const resultItemPtr &row : f.scan())
        offered.insert({row->resultItemName(), row->resultItemPath()});
    const QSet<QPair<QString, QString>> expected = oldFiles
        ? QSet<QPair<QString, QString>>{{info, f.path(p + u"Current Session"_s)},
                                        {tabsName, f.path(p + u"Current Tabs"_s)}}
        : QSet<QPair<QString, QString>>{
            {info, f.path(s + sessions[0])}, {info, f.path(s + sessions[1])}, {tabsName, f.path(s + tabs)}};
    QCOMPARE(offered, expected);

    // Cleaning one moves that one only.
    const QString chosen = oldFiles ? f.path(p + u"Current Tabs"_s) : f.path(s + sessions[1]);
    f.clean(oldFiles ? tabsName : info, chosen);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    QCOMPARE(f.recorder.events.first().info.value(u"removalItemRefPath"_s).toString(), chosen);
    QVERIFY(!QFileInfo::exists(chosen));
    QVERIFY(QFileInfo::exists(f.path(s + sessions[0])) && QFileInfo::exists(f.path(s + tabs)));

    // Nothing the scan would not offer under the name moves.
    QStringList refused = {f.path(s + u"Session_1.bak"_s), f.path(s + u"Session_7"_s),   f.path(s + u"Sub/Session_9"_s),
                           f.path(s + u"Tabs_10"_s),       f.path(p + u"Preferences"_s), f.path(s + tabs)};
    if (oldFiles)
        refused.append(f.path(s + sessions[0])); // the older file is the one in use
    for (const QString &path : std::as_const(refused)) {
        f.recorder.clear();
        f.clean(info, path);
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        QVERIFY(!f.recorder.events.first().info.value(u"didClean"_s).toBool());
    }
    QVERIFY(QFileInfo::exists(f.path(s + sessions[0])) && QFileInfo::exists(f.path(s + tabs)));
    QVERIFY(QFileInfo(f.path(s + u"Tabs_10"_s)).isSymLink());
    QVERIFY(QFileInfo::exists(f.path(s + u"Session_7/x"_s)));
}

QTEST_MAIN(tst_ChromiumLayout)
#include "tst_chromiumlayout.moc"
