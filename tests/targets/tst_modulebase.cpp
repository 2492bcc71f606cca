#include "CleaningRecorder.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "platform/FileManager.h"
#include "platform/NotificationCenter.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/base/CountProbe.h"
#include "targets/base/MasterPrefsViewController.h"
#include "targets/base/ModuleController.h"

#include <QtTest>

#include <sqlite3.h>

using platform::FileManager;
using platform::PropertyList;
using platform::UserDefaults;

namespace {

const QString dbA = QStringLiteral("Probe/History");
const QString dbB = QStringLiteral("Probe/Archive");
const QString dbD = QStringLiteral("Probe/Forms");
const QString prefs = QStringLiteral("Library/Preferences/org.example.probe.plist");

class ProbePane : public MasterPrefsViewController
{
public:
    ProbePane(const PaneSwitches &switches)
        : MasterPrefsViewController(QStringLiteral("ProbePrefsView"), switches)
    {
    }
};

// A module with a row of every offer test, probe form and route.
class ProbeModule : public ModuleController
{
public:
    QStringList removedAtPaths;

    ProbeModule()
    {
        using tracepaths::home;
        setIdentity(QStringLiteral("org.example.probe"), QStringLiteral("scanProbe"),
                    QStringLiteral("Probe"));
        auto countRow = [](const QString &cls, const QString &key, const QString &rel,
                           const QString &count, const QString &del, TraceRow::Probe probe) {
            TraceRow row = traceRow(cls, key, home(rel), QStringLiteral("Sqlite"));
            row.offer = TraceRow::Offer::Count;
            row.probe = probe;
            row.countStatement = count;
            row.route = TraceRow::Route::Sql;
            row.statement = del;
            return row;
        };
        const QString history = QStringLiteral("probeHistory");
        const QString forms = QStringLiteral("probeForms");
        const QString lists = QStringLiteral("probeLists");
        const QString other = QStringLiteral("probeOther");

        TraceRow recent = traceRow(QStringLiteral("Recent"), lists, home(prefs), QStringLiteral("Plist"));
        recent.offer = TraceRow::Offer::KeyNonEmpty;
        recent.keyPath = {QStringLiteral("Recent")};
        recent.extraInfo = QStringLiteral("Recent");
        recent.route = TraceRow::Route::KeyRewrite;
        recent.notice = TraceRow::Notice::PrefsDaemon;

        TraceRow nested = traceRow(QStringLiteral("Nested"), lists, home(prefs), QStringLiteral("Plist"));
        nested.offer = TraceRow::Offer::KeyNonEmpty;
        nested.keyPath = {QStringLiteral("Outer"), QStringLiteral("List")};
        nested.route = TraceRow::Route::KeyRewrite;
        nested.edit = [](PropertyList &list) {
            list.removeKeyPath({QStringLiteral("Outer"), QStringLiteral("List")});
        };
        nested.beforeWrite = [] {
            FileManager::defaultManager().removeItemAtPath(
                FileManager::homeDirectory() + QLatin1Char('/') + prefs + QStringLiteral(".lockfile"));
        };

        TraceRow shared = traceRow(QStringLiteral("Shared List"), other,
                                   home(QStringLiteral("Probe/list.sfl2")), QStringLiteral("File"));
        shared.notice = TraceRow::Notice::SharedFileList;

        TraceRow index = traceRow(QStringLiteral("Index"), other, {}, QStringLiteral("File"));
        index.offer = TraceRow::Offer::Custom;
        index.route = TraceRow::Route::MoveAtRequestPath;

        TraceRow custom = traceRow(QStringLiteral("Custom"), other, home(QStringLiteral("Probe/custom")),
                                   QStringLiteral("File"));
        custom.route = TraceRow::Route::Custom;
        custom.remove = [this](const QString &requestPath) {
            removedAtPaths.append(requestPath);
            sendCleaningStatusUpdateNotificationForItem(QStringLiteral("Probe Custom"), requestPath, true);
        };

        TraceRow gone = traceRow(QStringLiteral("Gone"), other, [] { return QString(); },
                                 QStringLiteral("File"));

        QList<TraceRow> rows = {
            countRow(QStringLiteral("History"), history, dbA, QStringLiteral("SELECT count(*) FROM visits;"),
                     QStringLiteral("DELETE FROM visits;"), TraceRow::Probe::Inline),
            countRow(QStringLiteral("Segments"), history, dbA, QStringLiteral("SELECT count(*) FROM segments;"),
                     QStringLiteral("DELETE FROM segments;"), TraceRow::Probe::SameConnection),
            countRow(QStringLiteral("Archive"), history, dbB, QStringLiteral("SELECT count(*) FROM visits;"),
                     QStringLiteral("DELETE FROM visits;"), TraceRow::Probe::Inline),
            traceRow(QStringLiteral("Notes"), history, home(QStringLiteral("Probe/notes")), QStringLiteral("File")),
            countRow(QStringLiteral("Forms"), forms, dbD, QStringLiteral("SELECT count(*) FROM forms;"),
                     QStringLiteral("DELETE FROM forms;"), TraceRow::Probe::OwnConnection),
            countRow(QStringLiteral("Searches"), forms, dbD, QStringLiteral("SELECT count(*) FROM searches;"),
                     QStringLiteral("DELETE FROM searches;"), TraceRow::Probe::OwnConnection),
            traceRow(QStringLiteral("Form Backup"), forms, home(QStringLiteral("Probe/forms.bak")), QStringLiteral("File")),
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
            const QString folder = FileManager::homeDirectory() + QStringLiteral("/Probe");
            for (const QString &name : FileManager::defaultManager().contentsOfDirectoryAtPath(folder)) {
                if (name.startsWith(QStringLiteral("Index")))
                    offerRow(traceTable().at(10), folder + QLatin1Char('/') + name);
            }
        };
        setTraceTable(rows);
        setCategories({{history, QStringLiteral("History"), {}},
                       {forms, QStringLiteral("Forms"), {}},
                       {lists, QStringLiteral("Lists"), {}},
                       {other, QStringLiteral("Other"), {}}});
    }

    QStringList scan()
    {
        QStringList offered;
        QObject guard;
        platform::NotificationCenter::defaultCenter().addObserver(
            &guard, QStringLiteral("CheckTargetFiles"), [&offered](const platform::Notification &n) {
                const auto items = n.userInfo.value(QStringLiteral("targets")).value<targetItemList>();
                for (const targetItemPtr &item : items)
                    offered.append(item->targetItemClassification());
            });
        platform::NotificationCenter::defaultCenter().post(
            QStringLiteral("CheckLocationItems"), nullptr,
            {{QStringLiteral("targName"), targetName()},
             {QStringLiteral("targIdentifier"), identifierString()}});
        return offered;
    }

protected:
    MasterPrefsViewController *createPane() override
    {
        return new ProbePane(paneSwitches(QStringLiteral("Scan Probe")));
    }
};

struct Fixture {
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
        d.setBool(false, QStringLiteral("probeOther"));
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

const QString fullTables = QStringLiteral(
    "CREATE TABLE visits(id INTEGER); CREATE TABLE segments(id INTEGER);"
    "INSERT INTO visits VALUES(1); INSERT INTO visits VALUES(2); INSERT INTO segments VALUES(1);");
const QString formTables = QStringLiteral(
    "CREATE TABLE forms(id INTEGER); CREATE TABLE searches(id INTEGER);"
    "INSERT INTO forms VALUES(1); INSERT INTO searches VALUES(1);");

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
    const QString archive = QStringLiteral("CREATE TABLE visits(id); INSERT INTO visits VALUES(1);");
    const QStringList forms = {QStringLiteral("Forms"), QStringLiteral("Searches")};
    QTest::newRow("every count above 0")
        << fullTables << archive << formTables
        << (QStringList{"History", "Segments", "Archive", "Notes"} + forms);
    QTest::newRow("zero count skips only its row")
        << QStringLiteral("CREATE TABLE visits(id); CREATE TABLE segments(id); INSERT INTO segments VALUES(1);")
        << archive << formTables << (QStringList{"Segments", "Archive", "Notes"} + forms);
    // The second statement on the shared connection fails: the collector ends there.
    QTest::newRow("failed inline statement ends the collector")
        << QStringLiteral("CREATE TABLE visits(id); INSERT INTO visits VALUES(1);") << archive
        << formTables << (QStringList{"History"} + forms);
    QTest::newRow("failed first statement ends the collector")
        << QStringLiteral("CREATE TABLE other(id);") << archive << formTables << forms;
    // A probe of its own only withholds its own row.
    QTest::newRow("failed probe method withholds one row")
        << fullTables << archive
        << QStringLiteral("CREATE TABLE searches(id); INSERT INTO searches VALUES(1);")
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
    QCOMPARE(f.module.scan(), expected);
}

void tst_ModuleBase::missingDatabaseIsNotCreated()
{
    Fixture f;
    QVERIFY(f.home.makeDir(QStringLiteral("Probe")));
    QVERIFY(f.home.writeFile(dbA, "this is not an sqlite file, it is only text"));
    QVERIFY(f.home.writeFile(QStringLiteral("Probe/notes"), "n"));
    QVERIFY(f.home.writeFile(QStringLiteral("Probe/forms.bak"), "b"));
    // History is not a database: the collector ends; Archive is missing and stays missing.
    QCOMPARE(f.module.scan(), QStringList{QStringLiteral("Form Backup")});
    QVERIFY(!QFile::exists(f.home.path(dbB)));
    QVERIFY(!QFile::exists(f.home.path(dbD)));

    QVERIFY(QFile::remove(f.home.path(dbA)));
    QCOMPARE(f.module.scan(), (QStringList{QStringLiteral("Notes"), QStringLiteral("Form Backup")}));
    QVERIFY(!QFile::exists(f.home.path(dbA)));
}

void tst_ModuleBase::switchedOffCategoryOffersNothing()
{
    Fixture f;
    QVERIFY(f.home.createSqlite(dbA, fullTables));
    QVERIFY(f.home.createSqlite(dbD, formTables));
    UserDefaults::standardUserDefaults().setBool(false, QStringLiteral("probeHistory"));
    QCOMPARE(f.module.scan(), (QStringList{QStringLiteral("Forms"), QStringLiteral("Searches")}));
    UserDefaults::standardUserDefaults().setBool(false, QStringLiteral("probeForms"));
    QVERIFY(f.module.scan().isEmpty());
}

void tst_ModuleBase::keyNonEmpty_data()
{
    QTest::addColumn<QVariant>("list");
    QTest::addColumn<QStringList>("expected");
    const QVariantMap outer{{QStringLiteral("List"), QVariantList{1}}};
    QTest::newRow("both non-empty")
        << QVariant(QVariantMap{{QStringLiteral("Recent"), QVariantList{QStringLiteral("a")}},
                                {QStringLiteral("Outer"), outer}})
        << QStringList{"Recent", "Nested"};
    QTest::newRow("empty array") << QVariant(QVariantMap{{QStringLiteral("Recent"), QVariantList{}}})
                                 << QStringList{};
    QTest::newRow("absent keys") << QVariant(QVariantMap{{QStringLiteral("Other"), 1}}) << QStringList{};
    QTest::newRow("non-empty dictionary")
        << QVariant(QVariantMap{{QStringLiteral("Recent"), QVariantMap{{QStringLiteral("k"), 1}}}})
        << QStringList{"Recent"};
    QTest::newRow("empty nested")
        << QVariant(QVariantMap{{QStringLiteral("Outer"), QVariantMap{{QStringLiteral("List"), QVariantList{}}}}})
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
    QTest::newRow("delete runs") << QStringLiteral("Probe History") << fullTables << true;
    QTest::newRow("missing table") << QStringLiteral("Probe Segments")
                                   << QStringLiteral("CREATE TABLE visits(id);") << false;
    QTest::newRow("missing file") << QStringLiteral("Probe History") << QString() << false;
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
    postCleaningRequest(QStringLiteral("Probe"), item, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(QStringLiteral("cleaningItemAppName")).toString(), QStringLiteral("Probe"));
    QCOMPARE(info.value(QStringLiteral("cleaningItemName")).toString(), item);
    QCOMPARE(info.value(QStringLiteral("cleaningItemPath")).toString(), path);
    QCOMPARE(info.value(QStringLiteral("didClean")).toBool(), cleaned);
    if (cleaned) {
        QCOMPARE(rows(path, QStringLiteral("visits")), 0);
        QCOMPARE(rows(path, QStringLiteral("segments")), 1); // in place: the file stays
    }
}

void tst_ModuleBase::unknownNameIsAnsweredNotCleaned()
{
    Fixture f;
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Nothing Like This"),
                        QStringLiteral("/some/where"));
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(QStringLiteral("cleaningItemName")).toString(), QStringLiteral("Probe Nothing Like This"));
    QCOMPARE(info.value(QStringLiteral("cleaningItemPath")).toString(), QStringLiteral("/some/where"));
    QCOMPARE(info.value(QStringLiteral("didClean")).toBool(), false);
    // Names compare exactly, case included.
    f.recorder.clear();
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe notes"), f.home.path("Probe/notes"));
    QCOMPARE(f.recorder.events.size(), 1);
    QCOMPARE(f.recorder.events.first().info.value(QStringLiteral("didClean")).toBool(), false);
}

void tst_ModuleBase::rowsOfOneNameAreCleanedByRequestPath()
{
    Fixture f;
    for (const char *key : {"probeHistory", "probeForms", "probeLists"})
        UserDefaults::standardUserDefaults().setBool(false, QString::fromLatin1(key));
    UserDefaults::standardUserDefaults().setBool(true, QStringLiteral("probeOther"));
    QVERIFY(f.home.writeFile(QStringLiteral("Probe/Index-1"), "1"));
    QVERIFY(f.home.writeFile(QStringLiteral("Probe/Index-2"), "2"));
    QCOMPARE(f.module.scan().count(QStringLiteral("Index")), 2);

    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Index"), f.home.path("Probe/Index-2"));
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const QVariantMap info = f.recorder.events.first().info;
    QCOMPARE(info.value(QStringLiteral("removalItemRefPath")).toString(), f.home.path("Probe/Index-2"));
    QVERIFY(QFile::exists(info.value(QStringLiteral("removalItemPath")).toString()));
    QVERIFY(!QFile::exists(f.home.path("Probe/Index-2")));
    QVERIFY(QFile::exists(f.home.path("Probe/Index-1")));
}

void tst_ModuleBase::customRemoverGetsRequestPath()
{
    Fixture f;
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Custom"), QStringLiteral("/req/path"));
    QCOMPARE(f.module.removedAtPaths, QStringList{QStringLiteral("/req/path")});
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
}

void tst_ModuleBase::pathThatCannotBeWorkedOutReportsRequestPath()
{
    Fixture f;
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Gone"), QStringLiteral("/was/here"));
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(QStringLiteral("cleaningItemPath")).toString(),
             QStringLiteral("/was/here"));
    QCOMPARE(f.recorder.events.first().info.value(QStringLiteral("didClean")).toBool(), false);
}

void tst_ModuleBase::sharedFileListNoticeOnlyAfterMove()
{
    Fixture f;
    const QString path = f.home.path(QStringLiteral("Probe/list.sfl2"));
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Shared List"), path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});

    f.recorder.clear();
    QVERIFY(f.home.writeFile(QStringLiteral("Probe/list.sfl2"), "list"));
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Shared List"), path);
    QCOMPARE(f.recorder.names(), (QStringList{CleaningRecorder::removal, CleaningRecorder::sharedFileList}));
    QVERIFY(!QFile::exists(path));
}

// The move route sets a store aside with the side files SQLite keeps beside it, as one item.
void tst_ModuleBase::movedStoreTakesItsSideFiles()
{
    Fixture f;
    QVERIFY(f.home.createSqlite(QStringLiteral("Probe/notes"), fullTables));
    for (const char *side : {"Probe/notes-wal", "Probe/notes-shm"})
        QVERIFY(f.home.writeFile(QLatin1String(side), QByteArray(4096, 'w')));
    const QString path = f.home.path(QStringLiteral("Probe/notes"));
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Notes"), path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const QString moved = f.recorder.events.first().info.value(QStringLiteral("removalItemPath")).toString();
    QStringList inside = FileManager::defaultManager().contentsOfDirectoryAtPath(moved);
    inside.sort();
    QCOMPARE(inside, (QStringList{"notes", "notes-shm", "notes-wal"}));
    QCOMPARE(FileManager::defaultManager().contentsOfDirectoryAtPath(f.home.path(QStringLiteral("Probe"))), QStringList{});
}

void tst_ModuleBase::nestedRewriteRunsHookBeforeWriting()
{
    Fixture f;
    const QVariantMap list{{QStringLiteral("Outer"), QVariantMap{{QStringLiteral("List"), QVariantList{1, 2}},
                                                                  {QStringLiteral("Keep"), 3}}},
                           {QStringLiteral("Top"), QStringLiteral("stays")}};
    QVERIFY(f.home.writePlist(prefs, list, PropertyList::Format::Xml));
    QVERIFY(f.home.writeFile(prefs + QStringLiteral(".lockfile"), ""));
    const QString path = f.home.path(prefs);
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Nested"), path);

    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal}); // no notice for this row
    QVERIFY(!QFile::exists(path + QStringLiteral(".lockfile")));
    const auto written = PropertyList::fromFile(path);
    QVERIFY(written);
    QCOMPARE(written->format(), PropertyList::Format::Xml);
    QCOMPARE(written->toVariant().toMap(),
             (QVariantMap{{QStringLiteral("Outer"), QVariantMap{{QStringLiteral("Keep"), 3}}},
                          {QStringLiteral("Top"), QStringLiteral("stays")}}));
    // The old file went aside whole, for the removal engine.
    const auto old = PropertyList::fromFile(
        f.recorder.events.first().info.value(QStringLiteral("removalItemPath")).toString());
    QVERIFY(old);
    QCOMPARE(old->toVariant().toMap(), list);
}

void tst_ModuleBase::unparsableListIsLeftAlone()
{
    Fixture f;
    const QByteArray damaged = "bplist00 damaged beyond repair";
    QVERIFY(f.home.writeFile(prefs, damaged));
    QVERIFY(f.home.writeFile(prefs + QStringLiteral(".lockfile"), ""));
    const QString path = f.home.path(prefs);
    postCleaningRequest(QStringLiteral("Probe"), QStringLiteral("Probe Nested"), path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events.first().info.value(QStringLiteral("didClean")).toBool(), false);
    QCOMPARE(FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray()), damaged);
    QVERIFY(QFile::exists(path + QStringLiteral(".lockfile"))); // no rewritten data, no deletion
}

void tst_ModuleBase::cleaningNotificationNameHasDisplayName()
{
    Fixture f;
    QCOMPARE(platform::NotificationCenter::defaultCenter().observerCount(QStringLiteral("CleanProbe")), 1);
    f.module.init(); // a second init registers nothing more
    QCOMPARE(platform::NotificationCenter::defaultCenter().observerCount(QStringLiteral("CleanProbe")), 1);
}

QTEST_MAIN(tst_ModuleBase)
#include "tst_modulebase.moc"
