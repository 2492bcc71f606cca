#include "CleaningRecorder.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "core/Keys.h"
#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/UserDefaults.h"
#include "support/Deadline.h"
#include "support/FakeHome.h"
#include "targets/base/CountProbe.h"
#include "targets/base/MasterPrefsViewController.h"
#include "targets/base/ModuleController.h"

#include <QtTest>

#include <sqlite3.h>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::PropertyList;
using platform::UserDefaults;

namespace {

const QString dbA = u"Probe/History"_s;
const QString dbB = u"Probe/Archive"_s;
const QString dbD = u"Probe/Forms"_s;
const QString prefs = u"Library/Preferences/org.example.probe.plist"_s;

class ProbePane : public MasterPrefsViewController
{
public:
    ProbePane(const PaneSwitches &switches)
        : MasterPrefsViewController(u"ProbePrefsView"_s, switches)
    {}
};

// A module with a row of every offer test, probe form and route.
class ProbeModule : public ModuleController
{
public:
    QStringList removedAtPaths;

    ProbeModule()
    {
        using tracepaths::home;
        setIdentity(u"org.example.probe"_s, u"scanProbe"_s, u"Probe"_s);
        auto countRow = [](const QString &cls, const QString &key, const QString &rel, const QString &count,
                           const QString &del, TraceRow::Probe probe) {
            TraceRow row = traceRow(cls, key, home(rel), u"Sqlite"_s);
            row.offer = TraceRow::Offer::Count;
            row.probe = probe;
            row.countStatement = count;
            row.route = TraceRow::Route::Sql;
            row.statement = del;
            return row;
        };
        const QString history = u"probeHistory"_s;
        const QString forms = u"probeForms"_s;
        const QString lists = u"probeLists"_s;
        const QString other = u"probeOther"_s;

        TraceRow recent = traceRow(u"Recent"_s, lists, home(prefs), u"Plist"_s);
        recent.offer = TraceRow::Offer::KeyNonEmpty;
        recent.keyPath = {u"Recent"_s};
        recent.extraInfo = u"Recent"_s;
        recent.route = TraceRow::Route::KeyRewrite;
        recent.notice = TraceRow::Notice::PrefsDaemon;

        TraceRow nested = traceRow(u"Nested"_s, lists, home(prefs), u"Plist"_s);
        nested.offer = TraceRow::Offer::KeyNonEmpty;
        nested.keyPath = {u"Outer"_s, u"List"_s};
        nested.route = TraceRow::Route::KeyRewrite;
        nested.edit = [](PropertyList &list) { list.removeKeyPath({u"Outer"_s, u"List"_s}); };
        nested.beforeWrite = [] {
            FileManager::defaultManager().removeItemAtPath(FileManager::homeDirectory() + QLatin1Char('/') + prefs
                                                           + u".lockfile"_s);
        };

        TraceRow shared = traceRow(u"Shared List"_s, other, home(u"Probe/list.sfl2"_s), u"File"_s);
        shared.notice = TraceRow::Notice::SharedFileList;

        TraceRow index = traceRow(u"Index"_s, other, {}, u"File"_s);
        index.offer = TraceRow::Offer::Custom;
        index.route = TraceRow::Route::MoveAtRequestPath;

        TraceRow custom = traceRow(u"Custom"_s, other, home(u"Probe/custom"_s), u"File"_s);
        custom.route = TraceRow::Route::Custom;
        custom.remove = [this](const QString &requestPath) {
            removedAtPaths.append(requestPath);
            sendCleaningStatusUpdateNotificationForItem(u"Probe Custom"_s, requestPath, true);
        };

        TraceRow gone = traceRow(
            u"Gone"_s, other, [] { return QString(); }, u"File"_s);

        QList<TraceRow> rows = {
            countRow(u"History"_s, history, dbA, u"SELECT count(*) FROM visits;"_s, u"DELETE FROM visits;"_s,
                     TraceRow::Probe::Inline),
            countRow(u"Segments"_s, history, dbA, u"SELECT count(*) FROM segments;"_s, u"DELETE FROM segments;"_s,
                     TraceRow::Probe::SameConnection),
            countRow(u"Archive"_s, history, dbB, u"SELECT count(*) FROM visits;"_s, u"DELETE FROM visits;"_s,
                     TraceRow::Probe::Inline),
            traceRow(u"Notes"_s, history, home(u"Probe/notes"_s), u"File"_s),
            countRow(u"Forms"_s, forms, dbD, u"SELECT count(*) FROM forms;"_s, u"DELETE FROM forms;"_s,
                     TraceRow::Probe::OwnConnection),
            countRow(u"Searches"_s, forms, dbD, u"SELECT count(*) FROM searches;"_s, u"DELETE FROM searches;"_s,
                     TraceRow::Probe::OwnConnection),
            traceRow(u"Form Backup"_s, forms, home(u"Probe/forms.bak"_s), u"File"_s),
            recent,
            nested,
            shared,
            index,
            custom,
            gone,
        };
        rows[6].offer = TraceRow::Offer::Exists;
        // The index sweep: one row per matching file, all under one name.
        rows[10].collect = [this] {
            const QString folder = FileManager::homeDirectory() + u"/Probe"_s;
            for (const QString &name : FileManager::defaultManager().contentsOfDirectoryAtPath(folder)) {
                if (name.startsWith(u"Index"_s))
                    offerRow(traceTable().at(10), folder + QLatin1Char('/') + name);
            }
        };
        setTraceTable(rows);
        setCategories(
            {{history, u"History"_s, {}}, {forms, u"Forms"_s, {}}, {lists, u"Lists"_s, {}}, {other, u"Other"_s, {}}});
    }

    QStringList scan()
    {
        QStringList offered;
        QObject guard;
        platform::NotificationCenter::defaultCenter().addObserver(
            &guard, keys::CheckTargetFiles, [&offered](const platform::Notification &n) {
                const auto items = n.userInfo.value(keys::Targets).value<targetItemList>();
                for (const targetItemPtr &item : items)
                    offered.append(item->targetItemClassification());
            });
        platform::NotificationCenter::defaultCenter().post(keys::CheckLocationItems, nullptr,
                                                           keys::locationScan(targetName(), identifierString()));
        return offered;
    }

protected:
    MasterPrefsViewController *createPane() override { return new ProbePane(paneSwitches(u"Scan Probe"_s)); }
};

struct Fixture
{
    FakeHome home;
    FileController files;
    DatabaseController database;
    ProbeModule module;
    CleaningRecorder recorder;

    Fixture()
    {
        module.setFileControl(&files);
        module.setDbControl(&database);
        module.init();
        UserDefaults &d = UserDefaults::standardUserDefaults();
        for (const char *key : {"probeHistory", "probeForms", "probeLists"})
            d.setBool(true, QString::fromLatin1(key));
        d.setBool(false, u"probeOther"_s);
    }
};

qint64 rows(const QString &db, const QString &table)
{
    sqlite3 *h = nullptr;
    qint64 n = -1;
    if (sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = "SELECT count(*) FROM " + table.toUtf8();
        if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close(h);
    return n;
}

const QString fullTables =
    u"CREATE TABLE visits(id INTEGER); CREATE TABLE segments(id INTEGER);"
    "INSERT INTO visits VALUES(1); INSERT INTO visits VALUES(2); INSERT INTO segments VALUES(1);"_s;
const QString formTables = u"CREATE TABLE forms(id INTEGER); CREATE TABLE searches(id INTEGER);"
                           "INSERT INTO forms VALUES(1); INSERT INTO searches VALUES(1);"_s;

} // namespace

class tst_ModuleBase : public QObject
{
    Q_OBJECT
private slots:
    void countRowCallbackReadsLeadingDigits_data();
    void countRowCallbackReadsLeadingDigits();
    void countProbeForms_data();
    void countProbeForms();
    void missingDatabaseIsNotCreated();
    void switchedOffCategoryOffersNothing();
    void keyNonEmpty_data();
    void keyNonEmpty();
    void sqlRoute_data();
    void sqlRoute();
    void unknownNameIsAnsweredNotCleaned();
    void rowsOfOneNameAreCleanedByRequestPath();
    void customRemoverGetsRequestPath();
    void pathThatCannotBeWorkedOutReportsRequestPath();
    void sharedFileListNoticeOnlyAfterMove();
    void movedStoreTakesItsSideFiles();
    void nestedRewriteRunsHookBeforeWriting();
    void unparsableListIsLeftAlone();
    void cleaningNotificationNameHasDisplayName();
};

void tst_ModuleBase::countRowCallbackReadsLeadingDigits_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<int>("expected");
    QTest::newRow("plain") << QByteArray("42") << false << 42;
    QTest::newRow("trailing text") << QByteArray("  7 rows") << false << 7;
    QTest::newRow("no digits") << QByteArray("abc") << false << 0;
    QTest::newRow("negative") << QByteArray("-3") << false << -3;
    QTest::newRow("null column") << QByteArray() << true << 0;
    QTest::newRow("too large") << QByteArray("99999999999") << false << INT_MAX;
}

void tst_ModuleBase::countRowCallbackReadsLeadingDigits()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, isNull);
    QFETCH(int, expected);
    QList<int> counts{5};
    char *values[1] = {isNull ? nullptr : text.data()};
    QCOMPARE(countRowCallback(&counts, 1, values, nullptr), 0);
    QCOMPARE(counts, (QList<int>{5, expected}));
}

void tst_ModuleBase::countProbeForms_data()
{
    QTest::addColumn<QString>("historySql");
    QTest::addColumn<QString>("archiveSql");
    QTest::addColumn<QString>("formsSql");
    QTest::addColumn<QStringList>("expected");
    const QString archive = u"CREATE TABLE visits(id); INSERT INTO visits VALUES(1);"_s;
    const QStringList forms = {u"Forms"_s, u"Searches"_s};
    QTest::newRow("every count above 0") << fullTables << archive << formTables
                                         << (QStringList{"History", "Segments", "Archive", "Notes"} + forms);
    QTest::newRow("zero count skips only its row")
        << u"CREATE TABLE visits(id); CREATE TABLE segments(id); INSERT INTO segments VALUES(1);"_s << archive
        << formTables << (QStringList{"Segments", "Archive", "Notes"} + forms);
    // The second statement on the shared connection fails: the collector ends there.
    QTest::newRow("failed inline statement ends the collector")
        << u"CREATE TABLE visits(id); INSERT INTO visits VALUES(1);"_s << archive << formTables
        << (QStringList{"History"} + forms);
    QTest::newRow("failed first statement ends the collector")
        << u"CREATE TABLE other(id);"_s << archive << formTables << forms;
    // A view in the table's place that never ends is stopped, as a failed statement.
    QTest::newRow("endless view ends the collector")
        << u"CREATE VIEW visits AS WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n FROM c) SELECT n FROM c;"_s
        << archive << formTables << forms;
    // Twenty rows of one large value each, each made in one step of SQLite's machine: no step
    // budget notices, so the view is refused rather than counted.
    QTest::newRow("view of large values ends the collector")
        << u"CREATE VIEW visits AS WITH RECURSIVE r(i, v) AS (SELECT 1, randomblob(50000000)"
           " UNION ALL SELECT i + 1, randomblob(50000000) FROM r WHERE i < 20) SELECT i, v FROM r;"_s
        << archive << formTables << forms;
    // A probe of its own only withholds its own row.
    QTest::newRow("failed probe method withholds one row")
        << fullTables << archive << u"CREATE TABLE searches(id); INSERT INTO searches VALUES(1);"_s
        << QStringList{"History", "Segments", "Archive", "Notes", "Searches"};
}

void tst_ModuleBase::countProbeForms()
{
    QFETCH(QString, historySql);
    QFETCH(QString, archiveSql);
    QFETCH(QString, formsSql);
    QFETCH(QStringList, expected);
    Fixture f;
    QVERIFY(f.home.createSqlite(dbA, historySql));
    QVERIFY(f.home.createSqlite(dbB, archiveSql));
    QVERIFY(f.home.createSqlite(dbD, formsSql));
    QStringList offered;
    {
        // Ten million steps take well under a second; without its budget an endless view
        // would hold the scan for ever.
        Deadline deadline(60, "the scan's count probes: a count with no step budget runs for ever");
        offered = f.module.scan();
    }
    QCOMPARE(offered, expected);
}

void tst_ModuleBase::missingDatabaseIsNotCreated()
{
    Fixture f;
    QVERIFY(f.home.makeDir(u"Probe"_s));
    QVERIFY(f.home.writeFile(dbA, "this is not an sqlite file, it is only text"));
    QVERIFY(f.home.writeFile(u"Probe/notes"_s, "n"));
    QVERIFY(f.home.writeFile(u"Probe/forms.bak"_s, "b"));
    // History is not a database: the collector ends; Archive is missing and stays missing.
    QCOMPARE(f.module.scan(), QStringList{u"Form Backup"_s});
    QVERIFY(!QFile::exists(f.home.path(dbB)));
    QVERIFY(!QFile::exists(f.home.path(dbD)));

    QVERIFY(QFile::remove(f.home.path(dbA)));
    QCOMPARE(f.module.scan(), (QStringList{u"Notes"_s, u"Form Backup"_s}));
    QVERIFY(!QFile::exists(f.home.path(dbA)));
}

void tst_ModuleBase::switchedOffCategoryOffersNothing()
{
    Fixture f;
    QVERIFY(f.home.createSqlite(dbA, fullTables));
    QVERIFY(f.home.createSqlite(dbD, formTables));
    UserDefaults::standardUserDefaults().setBool(false, u"probeHistory"_s);
    QCOMPARE(f.module.scan(), (QStringList{u"Forms"_s, u"Searches"_s}));
    UserDefaults::standardUserDefaults().setBool(false, u"probeForms"_s);
    QVERIFY(f.module.scan().isEmpty());
}

void tst_ModuleBase::keyNonEmpty_data()
{
    QTest::addColumn<QVariant>("list");
    QTest::addColumn<QStringList>("expected");
    const QVariantMap outer{{u"List"_s, QVariantList{1}}};
    QTest::newRow("both non-empty") << QVariant(QVariantMap{{u"Recent"_s, QVariantList{u"a"_s}}, {u"Outer"_s, outer}})
                                    << QStringList{"Recent", "Nested"};
    QTest::newRow("empty array") << QVariant(QVariantMap{{u"Recent"_s, QVariantList{}}}) << QStringList{};
    QTest::newRow("absent keys") << QVariant(QVariantMap{{u"Other"_s, 1}}) << QStringList{};
    QTest::newRow("non-empty dictionary")
        << QVariant(QVariantMap{{u"Recent"_s, QVariantMap{{u"k"_s, 1}}}}) << QStringList{"Recent"};
    QTest::newRow("empty nested") << QVariant(QVariantMap{{u"Outer"_s, QVariantMap{{u"List"_s, QVariantList{}}}}})
                                  << QStringList{};
    QTest::newRow("root is an array") << QVariant(QVariantList{1, 2}) << QStringList{};
}

void tst_ModuleBase::keyNonEmpty()
{
    QFETCH(QVariant, list);
    QFETCH(QStringList, expected);
    Fixture f;
    for (const char *key : {"probeHistory", "probeForms", "probeOther"})
        UserDefaults::standardUserDefaults().setBool(false, QString::fromLatin1(key));
    QVERIFY(f.home.writePlist(prefs, list));
    QCOMPARE(f.module.scan(), expected);
    QVERIFY(f.home.writeFile(prefs, "<?xml version=\"1.0\"?><plist><dict><key>Recent"));
    QVERIFY(f.module.scan().isEmpty());
}

void tst_ModuleBase::sqlRoute_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("schema");
    QTest::addColumn<bool>("cleaned");
    QTest::newRow("delete runs") << u"Probe History"_s << fullTables << true;
    QTest::newRow("missing table") << u"Probe Segments"_s << u"CREATE TABLE visits(id);"_s << false;
    QTest::newRow("missing file") << u"Probe History"_s << QString() << false;
}

void tst_ModuleBase::sqlRoute()
{
    QFETCH(QString, item);
    QFETCH(QString, schema);
    QFETCH(bool, cleaned);
    Fixture f;
    const QString path = f.home.path(dbA);
    if (!schema.isNull())
        QVERIFY(f.home.createSqlite(dbA, schema));
    postCleaningRequest(u"Probe"_s, item, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(u"cleaningItemAppName"_s).toString(), u"Probe"_s);
    QCOMPARE(info.value(u"cleaningItemName"_s).toString(), item);
    QCOMPARE(info.value(u"cleaningItemPath"_s).toString(), path);
    QCOMPARE(info.value(u"didClean"_s).toBool(), cleaned);
    if (cleaned) {
        QCOMPARE(rows(path, u"visits"_s), 0);
        QCOMPARE(rows(path, u"segments"_s), 1); // in place: the file stays
    }
}

void tst_ModuleBase::unknownNameIsAnsweredNotCleaned()
{
    Fixture f;
    postCleaningRequest(u"Probe"_s, u"Probe Nothing Like This"_s, u"/some/where"_s);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(u"cleaningItemName"_s).toString(), u"Probe Nothing Like This"_s);
    QCOMPARE(info.value(u"cleaningItemPath"_s).toString(), u"/some/where"_s);
    QCOMPARE(info.value(u"didClean"_s).toBool(), false);
    // Names compare exactly, case included.
    f.recorder.clear();
    postCleaningRequest(u"Probe"_s, u"Probe notes"_s, f.home.path("Probe/notes"));
    QCOMPARE(f.recorder.events.size(), 1);
    QCOMPARE(f.recorder.events.first().info.value(u"didClean"_s).toBool(), false);
}

void tst_ModuleBase::rowsOfOneNameAreCleanedByRequestPath()
{
    Fixture f;
    for (const char *key : {"probeHistory", "probeForms", "probeLists"})
        UserDefaults::standardUserDefaults().setBool(false, QString::fromLatin1(key));
    UserDefaults::standardUserDefaults().setBool(true, u"probeOther"_s);
    QVERIFY(f.home.writeFile(u"Probe/Index-1"_s, "1"));
    QVERIFY(f.home.writeFile(u"Probe/Index-2"_s, "2"));
    QCOMPARE(f.module.scan().count(u"Index"_s), 2);

    postCleaningRequest(u"Probe"_s, u"Probe Index"_s, f.home.path("Probe/Index-2"));
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(u"removalItemRefPath"_s).toString(), f.home.path("Probe/Index-2"));
    QVERIFY(QFile::exists(info.value(u"removalItemPath"_s).toString()));
    QVERIFY(!QFile::exists(f.home.path("Probe/Index-2")));
    QVERIFY(QFile::exists(f.home.path("Probe/Index-1")));
}

void tst_ModuleBase::customRemoverGetsRequestPath()
{
    Fixture f;
    postCleaningRequest(u"Probe"_s, u"Probe Custom"_s, u"/req/path"_s);
    QCOMPARE(f.module.removedAtPaths, QStringList{u"/req/path"_s});
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
}

void tst_ModuleBase::pathThatCannotBeWorkedOutReportsRequestPath()
{
    Fixture f;
    postCleaningRequest(u"Probe"_s, u"Probe Gone"_s, u"/was/here"_s);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(u"cleaningItemPath"_s).toString(), u"/was/here"_s);
    QCOMPARE(f.recorder.events.first().info.value(u"didClean"_s).toBool(), false);
}

void tst_ModuleBase::sharedFileListNoticeOnlyAfterMove()
{
    Fixture f;
    const QString path = f.home.path(u"Probe/list.sfl2"_s);
    postCleaningRequest(u"Probe"_s, u"Probe Shared List"_s, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});

    f.recorder.clear();
    QVERIFY(f.home.writeFile(u"Probe/list.sfl2"_s, "list"));
    postCleaningRequest(u"Probe"_s, u"Probe Shared List"_s, path);
    QCOMPARE(f.recorder.names(), (QStringList{CleaningRecorder::removal, CleaningRecorder::sharedFileList}));
    QVERIFY(!QFile::exists(path));
}

// The move route sets a store aside with the side files SQLite keeps beside it, as one item.
void tst_ModuleBase::movedStoreTakesItsSideFiles()
{
    Fixture f;
    QVERIFY(f.home.createSqlite(u"Probe/notes"_s, fullTables));
    for (const char *side : {"Probe/notes-wal", "Probe/notes-shm"})
        QVERIFY(f.home.writeFile(QLatin1String(side), QByteArray(4096, 'w')));
    const QString path = f.home.path(u"Probe/notes"_s);
    postCleaningRequest(u"Probe"_s, u"Probe Notes"_s, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const QString moved = f.recorder.events.first().info.value(u"removalItemPath"_s).toString();
    QStringList inside = FileManager::defaultManager().contentsOfDirectoryAtPath(moved);
    inside.sort();
    QCOMPARE(inside, (QStringList{"notes", "notes-shm", "notes-wal"}));
    QCOMPARE(FileManager::defaultManager().contentsOfDirectoryAtPath(f.home.path(u"Probe"_s)), QStringList{});
}

void tst_ModuleBase::nestedRewriteRunsHookBeforeWriting()
{
    Fixture f;
    const QVariantMap list{{u"Outer"_s, QVariantMap{{u"List"_s, QVariantList{1, 2}}, {u"Keep"_s, 3}}},
                           {u"Top"_s, u"stays"_s}};
    QVERIFY(f.home.writePlist(prefs, list, PropertyList::Format::Xml));
    QVERIFY(f.home.writeFile(prefs + u".lockfile"_s, ""));
    const QString path = f.home.path(prefs);
    postCleaningRequest(u"Probe"_s, u"Probe Nested"_s, path);

    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal}); // no notice for this row
    QVERIFY(!QFile::exists(path + u".lockfile"_s));
    const auto written = PropertyList::fromFile(path);
    QVERIFY(written);
    QCOMPARE(written->format(), PropertyList::Format::Xml);
    QCOMPARE(written->toVariant().toMap(),
             (QVariantMap{{u"Outer"_s, QVariantMap{{u"Keep"_s, 3}}}, {u"Top"_s, u"stays"_s}}));
    // The old file went aside whole, for the removal engine.
    const auto old = PropertyList::fromFile(f.recorder.events.first().info.value(u"removalItemPath"_s).toString());
    QVERIFY(old);
    QCOMPARE(old->toVariant().toMap(), list);
}

void tst_ModuleBase::unparsableListIsLeftAlone()
{
    Fixture f;
    const QByteArray damaged = "bplist00 damaged beyond repair";
    QVERIFY(f.home.writeFile(prefs, damaged));
    QVERIFY(f.home.writeFile(prefs + u".lockfile"_s, ""));
    const QString path = f.home.path(prefs);
    postCleaningRequest(u"Probe"_s, u"Probe Nested"_s, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(u"didClean"_s).toBool(), false);
    QCOMPARE(FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray()), damaged);
    QVERIFY(QFile::exists(path + u".lockfile"_s)); // no rewritten data, no deletion
}

void tst_ModuleBase::cleaningNotificationNameHasDisplayName()
{
    Fixture f;
    QCOMPARE(platform::NotificationCenter::defaultCenter().observerCount(u"CleanProbe"_s), 1);
    f.module.init(); // a second init registers nothing more
    QCOMPARE(platform::NotificationCenter::defaultCenter().observerCount(u"CleanProbe"_s), 1);
}

QTEST_MAIN(tst_ModuleBase)
#include "tst_modulebase.moc"
