#include "QuickTimeFixture.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::PropertyList;
using platform::UserDefaults;
using namespace systemlists;
using namespace quicktimefixture;

namespace {

// "targetItemExtraInfo" of each row.
const QStringList extras = {"", "", "RecentDocuments", "", "", "MGRecentURLPropertyLists", "MGRecentURLPropertyLists",
                            ""};
const int traceCount = int(traces.size());

} // namespace

class tst_QuickTime : public QObject
{
    Q_OBJECT
private slots:
    void scanGivesEveryRowInOrder();
    void quarantineFollowsCount_data();
    void quarantineFollowsCount();
    void cleaningQuarantineDeletesInPlace();
    void recentURLRows_data();
    void recentURLRows();
    void cleaningRecentURLs_data();
    void cleaningRecentURLs();
    void cleaningMoveRows_data();
    void cleaningMoveRows();
};

void tst_QuickTime::scanGivesEveryRowInOrder()
{
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    QCOMPARE(f.offeredRows(), f.tableRows());
    const QList<resultItemPtr> rows = f.scan();
    QStringList extraInfo;
    for (const resultItemPtr &row : rows)
        extraInfo.append(row->resultItemExtraInfo());
    QCOMPARE(extraInfo, extras);
    QCOMPARE(rows[Cache]->resultItemSize().value_or(0), quint64(300 + 5000));
}

void tst_QuickTime::quarantineFollowsCount_data()
{
    QTest::addColumn<QString>("sql"); // empty: no file
    QTest::addColumn<bool>("offered");
    QTest::newRow("events") << quarantineDatabase(2) << true;
    QTest::newRow("no events") << quarantineDatabase(0) << false;
    QTest::newRow("no table") << u"CREATE TABLE other(x);"_s << false;
    QTest::newRow("no file") << QString() << false;
}

void tst_QuickTime::quarantineFollowsCount()
{
    QFETCH(QString, sql);
    QFETCH(bool, offered);
    Fixture f;
    // The system-wide store is the Finder's, never this module's.
    QVERIFY(f.home.createSqlite(u"Library/Preferences/com.apple.LaunchServices.QuarantineEventsV2"_s,
                                quarantineDatabase(5)));
    if (!sql.isEmpty())
        QVERIFY(f.home.createSqlite(f.pathOf(Quarantine), sql));
    UserDefaults::standardUserDefaults().setBool(false, u"quickTimeRecentItems"_s);
    const QStringList expected = offered ? QStringList{QString::fromLatin1(traces[Quarantine].name)} : QStringList{};
    QCOMPARE(f.scannedNames(), expected);
    QCOMPARE(QFile::exists(f.pathOf(Quarantine)), !sql.isEmpty());
}

void tst_QuickTime::cleaningQuarantineDeletesInPlace()
{
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    f.clean(Quarantine);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QCOMPARE(f.recorder.events[0].info.value(u"didClean"_s).toBool(), true);
    QCOMPARE(eventCount(f.pathOf(Quarantine)), u"0"_s);
    QCOMPARE(integrity(f.pathOf(Quarantine)), u"ok"_s);
}

void tst_QuickTime::recentURLRows_data()
{
    QTest::addColumn<QVariant>("container");
    QTest::addColumn<QVariant>("legacy");
    QTest::addColumn<bool>("linked"); // the container's list is a link to the legacy one
    QTest::addColumn<QStringList>("expected");
    const QString c = QString::fromLatin1(traces[RecentURLs].name);
    const QString l = QString::fromLatin1(traces[LegacyRecentURLs].name);
    const QVariant urls = recentURLs();
    QTest::newRow("both") << urls << urls << false << QStringList{c, l};
    QTest::newRow("container only") << urls << QVariant(QVariantList{}) << false << QStringList{c};
    QTest::newRow("legacy only") << QVariant() << urls << false << QStringList{l};
    QTest::newRow("empty and absent") << QVariant(QVariantList{}) << QVariant() << false << QStringList{};
    // The rewrite never goes through a link, so the linked list is not offered at all.
    QTest::newRow("container linked to the legacy list") << QVariant() << urls << true << QStringList{l};
}

void tst_QuickTime::recentURLRows()
{
    QFETCH(QVariant, container);
    QFETCH(QVariant, legacy);
    QFETCH(bool, linked);
    QFETCH(QStringList, expected);
    Fixture f;
    QVERIFY(f.home.writePlist(f.pathOf(LegacyRecentURLs), playerPrefs(legacy)));
    if (linked) {
        QVERIFY(QDir().mkpath(QFileInfo(f.pathOf(RecentURLs)).absolutePath()));
        QVERIFY(QFile::link(f.pathOf(LegacyRecentURLs), f.pathOf(RecentURLs)));
    } else {
        QVERIFY(f.home.writePlist(f.pathOf(RecentURLs), playerPrefs(container)));
    }
    UserDefaults::standardUserDefaults().setBool(false, u"quickTimeCache"_s);
    QCOMPARE(f.scannedNames(), expected);
    if (linked) { // and the clean of the row, asked all the same, leaves both lists alone
        f.clean(RecentURLs);
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        QVERIFY(QFileInfo(f.pathOf(RecentURLs)).isSymLink());
        QCOMPARE(nodesOfFile(f.pathOf(LegacyRecentURLs)), nodes(playerPrefs(legacy)));
    }
}

void tst_QuickTime::cleaningRecentURLs_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("withURLs");
    QTest::addColumn<QStringList>("notices");
    const QStringList removal{CleaningRecorder::removal};
    const QStringList withNotice{CleaningRecorder::removal, CleaningRecorder::prefsDaemon};
    for (auto format : {PropertyList::Format::Binary, PropertyList::Format::Xml}) {
        const char *name = format == PropertyList::Format::Binary ? "binary" : "XML";
        QTest::addRow("container, %s", name) << int(RecentURLs) << int(format) << true << withNotice;
        QTest::addRow("legacy, %s", name) << int(LegacyRecentURLs) << int(format) << true << removal;
    }
    // Gone since the scan: written back all the same.
    QTest::newRow("container, key gone") << int(RecentURLs) << int(PropertyList::Format::Binary) << false << withNotice;
}

void tst_QuickTime::cleaningRecentURLs()
{
    QFETCH(int, row);
    QFETCH(int, format);
    QFETCH(bool, withURLs);
    QFETCH(QStringList, notices);
    Fixture f;
    const QVariantMap prefs = playerPrefs(withURLs ? QVariant(recentURLs()) : QVariant());
    QVERIFY(f.home.writePlist(f.pathOf(row), prefs, PropertyList::Format(format)));
    f.clean(row);
    QCOMPARE(f.recorder.names(), notices);
    QVariantMap expected = prefs;
    expected.remove(u"MGRecentURLPropertyLists"_s);
    QCOMPARE(nodesOfFile(f.pathOf(row)), nodes(expected));
    QCOMPARE(PropertyList::fromFile(f.pathOf(row))->format(), PropertyList::Format(format));
}

void tst_QuickTime::cleaningMoveRows_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QStringList>("notices");
    const QStringList moved{CleaningRecorder::removal};
    const QStringList shared{CleaningRecorder::removal, CleaningRecorder::sharedFileList};
    const QStringList failed{CleaningRecorder::status};
    QTest::newRow("cache") << int(Cache) << true << moved;
    QTest::newRow("open windows") << int(OpenWindows) << true << moved;
    QTest::newRow("legacy shared file list") << int(LegacySfl) << true << shared;
    QTest::newRow("shared file list") << int(Sfl) << true << shared;
    QTest::newRow("shared file list gone") << int(Sfl) << false << failed;
    QTest::newRow("open windows gone") << int(OpenWindows) << false << failed;
}

void tst_QuickTime::cleaningMoveRows()
{
    QFETCH(int, row);
    QFETCH(bool, present);
    QFETCH(QStringList, notices);
    Fixture f;
    if (present)
        QVERIFY(f.writeEveryTrace());
    f.clean(row);
    QCOMPARE(f.recorder.names(), notices);
    QVERIFY(!QFile::exists(f.pathOf(row)));
    if (!present)
        QCOMPARE(f.recorder.events[0].info.value(u"didClean"_s).toBool(), false);
}

QTEST_MAIN(tst_QuickTime)
#include "tst_quicktime.moc"
