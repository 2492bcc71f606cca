#include "FinderFixture.h"

#include "core/RestartTool.h"
#include "platform/system/AppleScript.h"
#include "platform/system/MainThread.h"
#include "platform/system/Task.h"

#include <QtTest>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::PropertyList;
using platform::UserDefaults;
using namespace systemlists;
using namespace finderfixture;

namespace {

// "targetItemExtraInfo" of each row.
const QStringList extras = {"RecentItems", "", "", "", "", "", "", "", "", "", "", "RecentFolders"};
constexpr int legacyQuarantine = 9;
constexpr int quarantine = 10;

QStringList limitScripts(const QList<std::pair<QString, int>> &sets)
{
    QStringList expected = {script + u"get recent applications limit"_s, script + u"get recent documents limit"_s,
                            script + u"get recent servers limit"_s};
    for (const auto &[list, value] : sets)
        expected.append(script + u"set recent %1 limit to %2"_s.arg(list).arg(value));
    return expected;
}

} // namespace

class tst_Finder : public QObject
{
    Q_OBJECT
private slots:
    void scanGivesEveryRowInOrder();
    void recentItemsOfferFollowsTheThreeLists_data();
    void recentItemsOfferFollowsTheThreeLists();
    void quarantineOffersFollowCounts_data();
    void quarantineOffersFollowCounts();
    void cleaningQuarantineDeletesEventsInPlace_data();
    void cleaningQuarantineDeletesEventsInPlace();
    void cleaningSharedFileList_data();
    void cleaningSharedFileList();
    void recentItemsRewrite_data();
    void recentItemsRewrite();
    void recentItemLimits_data();
    void recentItemLimits();
    void recentFoldersRewriteAndRestarts_data();
    void recentFoldersRewriteAndRestarts();
    void recentFoldersGoneBeforeCleaning();
    void restartsRunTheToolForReal();
    void damagedOrMissingListsStayInPlace_data();
    void damagedOrMissingListsStayInPlace();
    void bundleFoundWhateverTheCase();
};

void tst_Finder::scanGivesEveryRowInOrder()
{
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    QCOMPARE(f.offeredRows(), f.tableRows());
    QStringList extraInfo;
    for (const resultItemPtr &row : f.scan())
        extraInfo.append(row->resultItemExtraInfo());
    QCOMPARE(extraInfo, extras);
}

void tst_Finder::recentItemsOfferFollowsTheThreeLists_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: the variant below, binary
    QTest::addColumn<QVariant>("list");
    QTest::addColumn<bool>("offered");
    const QVariant one = customListItems({u"a.txt"_s});
    const QVariantMap empty = recentList(QVariantList{});
    auto three = [&](const QVariant &apps, const QVariant &docs, const QVariant &servers) {
        return QVariantMap{{u"RecentApplications"_s, recentList(apps)},
                           {u"RecentDocuments"_s, recentList(docs)},
                           {u"RecentServers"_s, recentList(servers)}};
    };
    QTest::newRow("applications only") << QByteArray() << QVariant(three(one, QVariantList{}, QVariantList{})) << true;
    QTest::newRow("documents only") << QByteArray() << QVariant(three(QVariantList{}, one, QVariant())) << true;
    QTest::newRow("servers only") << QByteArray() << QVariant(three(QVariant(), QVariant(), one)) << true;
    QTest::newRow("all empty") << QByteArray() << QVariant(three(QVariantList{}, QVariantList{}, QVariantList{}))
                               << false;
    QTest::newRow("no CustomListItems") << QByteArray() << QVariant(three(QVariant(), QVariant(), QVariant())) << false;
    QVariantMap other = three(QVariantList{}, QVariantList{}, QVariantList{});
    other.insert(u"Hosts"_s, recentList(one));
    QTest::newRow("only another root key has items") << QByteArray() << QVariant(other) << false;
    QTest::newRow("documents not a dictionary")
        << QByteArray() << QVariant(QVariantMap{{u"RecentDocuments"_s, QVariantList{one}}}) << false;
    QTest::newRow("system's own list") << QByteArray() << QVariant(recentItems()) << true;
    QTest::newRow("damaged") << QByteArray("bplist00\x08\x09 cut short", 21) << QVariant() << false;
    QTest::newRow("no file") << QByteArray() << QVariant() << false;
}

void tst_Finder::recentItemsOfferFollowsTheThreeLists()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QVariant, list);
    QFETCH(bool, offered);
    Fixture f;
    if (!bytes.isEmpty())
        QVERIFY(f.home.writeFile(recentItemsPath, bytes));
    else if (list.isValid())
        QVERIFY(f.home.writePlist(recentItemsPath, list));
    // One shared-file-list file exists: all eight are handed over, one becomes a result row.
    QVERIFY(f.home.writeFile(QString::fromLatin1(traces[6].path), "sfl2"));

    QStringList expected;
    for (int i = 1; i <= 8; ++i)
        expected.append(QString::fromLatin1(traces[i].name));
    if (offered)
        expected.prepend(QString::fromLatin1(traces[0].name));
    QCOMPARE(f.offered(), expected);
    QStringList shown = {QString::fromLatin1(traces[6].name)};
    if (offered)
        shown.prepend(QString::fromLatin1(traces[0].name));
    QCOMPARE(f.scannedNames(), shown);
}

void tst_Finder::quarantineOffersFollowCounts_data()
{
    // events, schema SQL, a damaged file's bytes or true for a folder that does not open; none: no file
    QTest::addColumn<QVariant>("legacy");
    QTest::addColumn<QVariant>("current");
    QTest::addColumn<QStringList>("expected");
    const QString l = QString::fromLatin1(traces[legacyQuarantine].name);
    const QString c = QString::fromLatin1(traces[quarantine].name);
    const QVariant none;
    const QVariant notADatabase(QByteArray(4096, 'x'));
    QTest::newRow("both with events") << QVariant(3) << QVariant(1) << QStringList{l, c};
    QTest::newRow("legacy empty") << QVariant(0) << QVariant(2) << QStringList{c};
    QTest::newRow("current empty") << QVariant(4) << QVariant(0) << QStringList{l};
    QTest::newRow("no legacy file") << none << QVariant(2) << QStringList{c};
    QTest::newRow("neither file") << none << none << QStringList{};
    QTest::newRow("legacy does not open") << QVariant(true) << QVariant(2) << QStringList{c};
    QTest::newRow("legacy count fails") << notADatabase << QVariant(2) << QStringList{};
    QTest::newRow("legacy without the table") << QVariant(u"CREATE TABLE other(x);"_s) << QVariant(2) << QStringList{};
    QTest::newRow("current count fails") << QVariant(1) << notADatabase << QStringList{l};
}

void tst_Finder::quarantineOffersFollowCounts()
{
    QFETCH(QVariant, legacy);
    QFETCH(QVariant, current);
    QFETCH(QStringList, expected);
    Fixture f;
    const QPair<int, QVariant> databases[] = {{legacyQuarantine, legacy}, {quarantine, current}};
    for (const auto &[row, content] : databases) {
        const QString path = QString::fromLatin1(traces[row].path);
        if (content.typeId() == QMetaType::Int)
            QVERIFY(f.home.createSqlite(path, quarantineDatabase(content.toInt())));
        else if (content.typeId() == QMetaType::QString)
            QVERIFY(f.home.createSqlite(path, content.toString()));
        else if (content.typeId() == QMetaType::QByteArray)
            QVERIFY(f.home.writeFile(path, content.toByteArray()));
        else if (content.typeId() == QMetaType::Bool)
            QVERIFY(f.home.makeDir(path));
    }
    UserDefaults::standardUserDefaults().setBool(false, u"finderRecentItems"_s);
    QCOMPARE(f.offered(), expected);
}

void tst_Finder::cleaningQuarantineDeletesEventsInPlace_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("legacy") << legacyQuarantine;
    QTest::newRow("current") << quarantine;
}

void tst_Finder::cleaningQuarantineDeletesEventsInPlace()
{
    QFETCH(int, row);
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    const QString other = f.pathOf(row == quarantine ? legacyQuarantine : quarantine);
    const QString before = eventCount(other);
    f.clean(row);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events[0].info.value(u"didClean"_s).toBool(), true);
    QCOMPARE(f.recorder.events[0].info.value(u"cleaningItemPath"_s).toString(), f.pathOf(row));
    QCOMPARE(eventCount(f.pathOf(row)), u"0"_s);
    QCOMPARE(integrity(f.pathOf(row)), u"ok"_s);
    QCOMPARE(eventCount(other), before);
    QVERIFY(f.temporaryFolderEmpty());
}

void tst_Finder::cleaningSharedFileList_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("present");
    for (int i = 1; i <= 8; ++i) {
        QTest::addRow("%s", traces[i].name) << i << true;
        QTest::addRow("%s, gone", traces[i].name) << i << false;
    }
}

void tst_Finder::cleaningSharedFileList()
{
    QFETCH(int, row);
    QFETCH(bool, present);
    Fixture f;
    if (present)
        QVERIFY(FakeHome::writeFileAt(f.pathOf(row), "bplist00 shared file list"));
    f.clean(row);
    if (!present) {
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        QCOMPARE(f.recorder.events[0].info.value(u"didClean"_s).toBool(), false);
        return;
    }
    QCOMPARE(f.recorder.names(), (QStringList{CleaningRecorder::removal, CleaningRecorder::sharedFileList}));
    QCOMPARE(f.recorder.events[0].info.value(u"removalItemRefPath"_s).toString(), f.pathOf(row));
    QVERIFY(!QFile::exists(f.pathOf(row)));
}

void tst_Finder::recentItemsRewrite_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("lock"); // what lies at the lock file's path
    for (auto format : {PropertyList::Format::Binary, PropertyList::Format::Xml}) {
        const char *name = format == PropertyList::Format::Binary ? "binary" : "XML";
        QTest::addRow("%s", name) << int(format) << QString();
        QTest::addRow("%s with a lock file", name) << int(format) << u"file"_s;
    }
    // Only the lock itself goes: never what a link points at, nor a folder's contents.
    QTest::newRow("lock is a link") << int(PropertyList::Format::Binary) << u"link"_s;
    QTest::newRow("lock is a folder") << int(PropertyList::Format::Xml) << u"folder"_s;
}

void tst_Finder::recentItemsRewrite()
{
    QFETCH(int, format);
    QFETCH(QString, lock);
    Fixture f;
    QVERIFY(f.home.writePlist(recentItemsPath, recentItems(), PropertyList::Format(format)));
    const QString path = f.home.path(recentItemsPath);
    const QString lockPath = path + u".lockfile"_s;
    const QString kept = f.home.path(u"Documents/kept.txt"_s);
    QVERIFY(FakeHome::writeFileAt(kept, "mine"));
    if (lock == QLatin1String("file"))
        QVERIFY(FakeHome::writeFileAt(lockPath, ""));
    else if (lock == QLatin1String("link"))
        QVERIFY(QFile::link(kept, lockPath));
    else if (lock == QLatin1String("folder"))
        QVERIFY(FakeHome::writeFileAt(lockPath + u"/inside"_s, "inside"));
    auto lockLeft = [&] { return QFileInfo(lockPath).isSymLink() || QFileInfo::exists(lockPath); };
    QVERIFY(FileManager::defaultManager().setPosixPermissions(path, 0640));
    const QByteArray original = FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray());
    // At the announcement the emptied list is in place and the lock file gone.
    f.recorder.onEvent = [&](const platform::Notification &) -> QVariant {
        return QStringList{nodesOfFile(path).join(QLatin1Char('\n')), lockLeft() ? u"lock"_s : QString()};
    };

    f.clean(0);

    QVariantMap expected = recentItems();
    for (const char *list : {"RecentApplications", "RecentDocuments", "RecentServers"}) {
        QVariantMap inner = expected.value(QLatin1String(list)).toMap();
        inner.remove(u"CustomListItems"_s);
        expected.insert(QLatin1String(list), inner);
    }
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    const bool folder = lock == QLatin1String("folder");
    QCOMPARE(f.recorder.events[0].snapshot.toStringList(),
             (QStringList{nodes(expected).join(QLatin1Char('\n')), folder ? u"lock"_s : QString()}));
    QCOMPARE(lockLeft(), folder);
    QVERIFY(QFile::exists(kept));
    QVERIFY(!folder || QFile::exists(lockPath + u"/inside"_s));
    QCOMPARE(nodesOfFile(path), nodes(expected));
    QCOMPARE(PropertyList::fromFile(path)->format(), PropertyList::Format(format));
    QCOMPARE(FileManager::defaultManager().attributesOfItemAtPath(path)->permissions, mode_t(0640));
    const QString moved = f.recorder.events[0].info.value(u"removalItemPath"_s).toString();
    QCOMPARE(FileManager::defaultManager().contentsAtPath(moved).value_or(QByteArray()), original);
    QCOMPARE(f.scripts,
             limitScripts({{u"applications"_s, 0},
                           {u"documents"_s, 0},
                           {u"servers"_s, 0},
                           {u"applications"_s, 10},
                           {u"documents"_s, 20},
                           {u"servers"_s, 5}}));
    QVERIFY(f.launches.isEmpty());
    // Emptied lists are no longer offered; the other root key's list was never the row's.
    QVERIFY(!f.offered().contains(QString::fromLatin1(traces[0].name)));
}

void tst_Finder::recentItemLimits_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("expected");
    const QString a = u"applications"_s, d = u"documents"_s, s = u"servers"_s;
    QTest::newRow("no script engine") << QStringList{QString(), QString(), QString()} << limitScripts({});
    QTest::newRow("documents give nothing")
        << QStringList{u"10"_s, QString(), u"0"_s} << limitScripts({{a, 0}, {s, 0}, {a, 10}, {s, 0}});
    QTest::newRow("not a number is no limit")
        << QStringList{u"missing value"_s, u" 30\n"_s, u""_s} << limitScripts({{d, 0}, {d, 30}});
}

void tst_Finder::recentItemLimits()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, expected);
    Fixture f;
    f.answerLimits(answers);
    QVERIFY(f.home.writePlist(recentItemsPath, recentItems()));
    f.clean(0);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    QCOMPARE(f.scripts, expected);
}

void tst_Finder::recentFoldersRewriteAndRestarts_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("version"); // empty: the system cannot tell
    QTest::addColumn<bool>("lockFile");
    QTest::addColumn<bool>("daemonFirst");
    QTest::addColumn<int>("folders");
    const auto binary = int(PropertyList::Format::Binary), xml = int(PropertyList::Format::Xml);
    QTest::newRow("10.8, Finder only") << binary << u"10.8.5"_s << true << false << 2;
    QTest::newRow("10.9, daemon then Finder") << xml << u"10.9"_s << false << true << 2;
    QTest::newRow("10.15") << binary << u"10.15.7"_s << false << true << 2;
    QTest::newRow("11") << xml << u"11.2.3"_s << true << true << 2;
    QTest::newRow("unknown version") << binary << QString() << false << false << 2;
    // A list this long is still the Finder's own, and cleaned like a short one.
    QTest::newRow("60,000 recent folders, binary") << binary << u"12.1"_s << false << true << 60000;
    QTest::newRow("60,000 recent folders, XML") << xml << u"12.1"_s << false << true << 60000;
}

void tst_Finder::recentFoldersRewriteAndRestarts()
{
    QFETCH(int, format);
    QFETCH(QString, version);
    QFETCH(bool, lockFile);
    QFETCH(bool, daemonFirst);
    QFETCH(int, folders);
    Fixture f;
    if (!version.isEmpty())
        QVERIFY(f.home.setSystemVersion(version));
    QStringList names{u"Downloads"_s, u"Projects"_s};
    for (int i = 2; i < folders; ++i)
        names.append(u"Folder %1"_s.arg(i));
    const QVariantMap prefs = finderPrefs(recentFolders(names));
    QVERIFY(f.home.writePlist(finderPath, prefs, PropertyList::Format(format)));
    const QString path = f.home.path(finderPath);
    const QString lock = path + u".lockfile"_s;
    if (lockFile)
        QVERIFY(FakeHome::writeFileAt(lock, ""));
    QCOMPARE(f.scannedNames(), QStringList{QString::fromLatin1(traces[11].name)});

    // The cleaning worker posts the request; the restarts are made on the main thread.
    std::atomic<bool> done = false;
    std::thread worker([&] {
        f.clean(11);
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
    worker.join();

    QVariantMap expected = prefs;
    expected.remove(u"FXRecentFolders"_s);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    QCOMPARE(nodesOfFile(path), nodes(expected));
    QCOMPARE(PropertyList::fromFile(path)->format(), PropertyList::Format(format));
    QVERIFY(!QFile::exists(lock));
    QList<QStringList> arguments;
    for (const Launch &launch : std::as_const(f.launches)) {
        QCOMPARE(launch.path, f.tool);
        QVERIFY(launch.onMainThread);
        arguments.append(launch.arguments);
    }
    QList<QStringList> expectedLaunches;
    if (daemonFirst)
        expectedLaunches.append({u"-SIGTERM"_s, u"cfprefsd"_s});
    expectedLaunches.append({u"Finder"_s});
    QCOMPARE(arguments, expectedLaunches);
    QVERIFY(f.scripts.isEmpty());
}

void tst_Finder::recentFoldersGoneBeforeCleaning()
{
    Fixture f;
    QVERIFY(f.home.setSystemVersion(u"10.14"_s));
    const QVariantMap prefs = finderPrefs(QVariant());
    QVERIFY(f.home.writePlist(finderPath, prefs, PropertyList::Format::Xml));
    const QString lock = f.pathOf(11) + u".lockfile"_s;
    QVERIFY(FakeHome::writeFileAt(lock, ""));
    f.clean(11);
    // Written back as it was; the Finder has nothing to forget.
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
    QCOMPARE(nodesOfFile(f.pathOf(11)), nodes(prefs));
    QVERIFY(f.launches.isEmpty());
}

void tst_Finder::restartsRunTheToolForReal()
{
    Fixture f;
    platform::Task::setLaunchRecorder({});
    QVERIFY(f.home.setSystemVersion(u"12.1"_s));
    QVERIFY(f.home.writePlist(finderPath, finderPrefs(recentFolders({u"Music"_s}))));
    f.clean(11);
    const QDir bin(QFileInfo(f.tool).absolutePath());
    const QStringList filter = {QFileInfo(f.tool).fileName() + u".ran.*"_s};
    QTRY_COMPARE_WITH_TIMEOUT(bin.entryList(filter, QDir::Files).size(), 2, 60000);
    QStringList ran;
    for (const QString &name : bin.entryList(filter, QDir::Files)) {
        QFile out(bin.filePath(name));
        QVERIFY(out.open(QIODevice::ReadOnly));
        ran.append(QString::fromUtf8(out.readAll()).trimmed());
    }
    ran.sort();
    QCOMPARE(ran, (QStringList{u"-SIGTERM cfprefsd"_s, u"Finder"_s}));
}

void tst_Finder::damagedOrMissingListsStayInPlace_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("bytes"); // empty: no file
    const QByteArray damaged("<?xml version=\"1.0\"?><plist><dict><key>FXRecentFolders", 54);
    for (int row : {0, 11}) {
        QTest::addRow("%s, damaged", traces[row].name) << row << damaged;
        QTest::addRow("%s, missing", traces[row].name) << row << QByteArray();
    }
}

void tst_Finder::damagedOrMissingListsStayInPlace()
{
    QFETCH(int, row);
    QFETCH(QByteArray, bytes);
    Fixture f;
    QVERIFY(f.home.setSystemVersion(u"11.0"_s));
    const QString lock = f.pathOf(row) + u".lockfile"_s;
    QVERIFY(FakeHome::writeFileAt(lock, "held"));
    if (!bytes.isEmpty())
        QVERIFY(f.home.writeFile(QString::fromLatin1(traces[row].path), bytes));
    QVERIFY(!f.offered().contains(QString::fromLatin1(traces[row].name)));
    f.clean(row);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events[0].info.value(u"didClean"_s).toBool(), false);
    QCOMPARE(f.recorder.events[0].info.value(u"cleaningItemPath"_s).toString(), f.pathOf(row));
    if (!bytes.isEmpty())
        QCOMPARE(FileManager::defaultManager().contentsAtPath(f.pathOf(row)).value_or(QByteArray()), bytes);
    QVERIFY(QFile::exists(lock));
    QVERIFY(f.scripts.isEmpty());
    QVERIFY(f.launches.isEmpty());
    QVERIFY(f.temporaryFolderEmpty());
}

void tst_Finder::bundleFoundWhateverTheCase()
{
    // The Finder's own bundle says "com.apple.finder"; the module's identifier is capitalised.
    FakeHome home;
    FinderController finder;
    QVERIFY(!finder.targetExists());
    QVERIFY(!home.addApplication(u"com.apple.finder"_s, u"Finder"_s, u"System/Library/CoreServices"_s).isEmpty());
    QVERIFY(finder.targetExists());
}

QTEST_MAIN(tst_Finder)
#include "tst_finder.moc"
