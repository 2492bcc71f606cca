#include "MozillaStores.h" // its store helpers: value, count, integrity
#include "ShiiraFixture.h"

#include "targets/safari/SafariController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::PropertyList;
using namespace shiirafixture;

namespace {

const QString downloads = QLatin1String(traces[3].name);
const TraceSpec &lastSession = traces[4];
const TraceSpec &openWindows = traces[5];

} // namespace

class tst_Shiira : public QObject
{
    Q_OBJECT
private slots:
    // The store is offered while its download table holds rows, and cleaned in place: the
    // rows go, the store and its Core Data tables stay. A probe never makes a store.
    void downloadStore_data()
    {
        QTest::addColumn<QString>("sql");      // empty: no store at all
        QTest::addColumn<QByteArray>("bytes"); // instead of sql: a file that is no database
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("cleaned");
        QTest::newRow("two downloads") << coreDataSchema + twoDownloads << QByteArray() << true << true;
        QTest::newRow("no downloads") << coreDataSchema << QByteArray() << false << true;
        QTest::newRow("no download table")
            << u"CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY);"_s << QByteArray() << false << false;
        QTest::newRow("no store") << QString() << QByteArray() << false << false;
        QTest::newRow("not a database") << QString() << QByteArray(4096, 'x') << false << false;
    }
    void downloadStore()
    {
        QFETCH(QString, sql);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, offered);
        QFETCH(bool, cleaned);
        Fixture f;
        if (!sql.isEmpty())
            QVERIFY(f.home.createSqlite(storePath, sql));
        if (!bytes.isEmpty())
            QVERIFY(f.home.writeFile(storePath, bytes));
        const bool existed = QFile::exists(f.store());
        QCOMPARE(f.scannedNames(), offered ? QStringList{downloads} : QStringList{});
        QCOMPARE(QFile::exists(f.store()), existed);

        QCOMPARE(f.cleanInPlace(downloads, f.store()), std::optional<bool>(cleaned));
        QCOMPARE(f.recorder.events.first().info.value(u"cleaningItemPath"_s).toString(), f.store());
        QCOMPARE(QFile::exists(f.store()), existed);
        if (cleaned) {
            QCOMPARE(mozstores::count(f.store(), u"SELECT count(*) FROM ZDOWNLOADITEM"_s), 0);
            QCOMPARE(mozstores::count(f.store(), u"SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_NAME = 'DownloadItem'"_s), 2);
            QCOMPARE(mozstores::count(f.store(), u"SELECT count(*) FROM Z_METADATA"_s), 1);
            QCOMPARE(mozstores::integrity(f.store()), u"ok"_s);
        }
    }

    // The last pages are offered while listed; the saved windows whatever the list says.
    void lastSessionRows_data()
    {
        QTest::addColumn<QVariant>("pages");
        QTest::addColumn<bool>("offered");
        QTest::newRow("one page") << QVariant(QVariantList{u"https://example.org/"_s}) << true;
        QTest::newRow("empty") << QVariant(QVariantList{}) << false;
        QTest::newRow("absent") << QVariant() << false;
    }
    void lastSessionRows()
    {
        QFETCH(QVariant, pages);
        QFETCH(bool, offered);
        Fixture f;
        QVariantMap prefs = shiiraPrefs();
        prefs.remove(u"generalLastPages"_s);
        if (pages.isValid())
            prefs.insert(u"generalLastPages"_s, pages);
        QVERIFY(f.home.writePlist(prefsPath, prefs));
        QVERIFY(f.home.writeFile(QLatin1String(openWindows.path) + u"/data.data"_s, "w"));
        QStringList expected{QLatin1String(openWindows.name)};
        if (offered)
            expected.prepend(QLatin1String(lastSession.name));
        QCOMPARE(f.scannedNames(), expected);
    }

    // The old list goes aside whole and the list comes back, in its format, without the
    // row's key and with everything else. No daemon notice follows.
    void cleaningLastPagesKeepsTheRest()
    {
        Fixture f;
        const QString path = f.pathOf(lastSession);
        QVERIFY(f.home.writePlist(path, shiiraPrefs(), PropertyList::Format::Xml));
        QCOMPARE(noticeNames(f.clean(QLatin1String(lastSession.name), path)), QStringList{CleaningRecorder::removal});
        const auto written = PropertyList::fromFile(path);
        QVERIFY(written);
        QCOMPARE(written->format(), PropertyList::Format::Xml);
        QVariantMap expected = shiiraPrefs();
        expected.remove(u"generalLastPages"_s);
        QCOMPARE(written->toVariant().toMap(), expected);
    }

    // Safari and Shiira offer the same cookie file; the second to clean it finds it gone.
    void cookiesAfterSafariCookiesAreNotCleaned()
    {
        Fixture f;
        SafariController safari;
        f.home.addApplication(u"com.apple.Safari"_s, u"Safari"_s);
        safari.setFileControl(&f.files);
        safari.init();
        const QString cookies = f.home.path(u"Library/Cookies/Cookies.plist"_s);
        QVERIFY(f.home.writePlist(cookies, QVariantList{QVariantMap{{u"Domain"_s, u".example.org"_s}}}));
        postCleaningRequest(u"Safari"_s, u"Safari Cookies"_s, cookies);
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
        QCOMPARE(f.cleanInPlace(u"Shiira Cookies"_s, cookies), std::optional<bool>(false));
        QCOMPARE(f.recorder.events.first().info.value(u"cleaningItemAppName"_s).toString(), u"Shiira"_s);
    }
};

QTEST_MAIN(tst_Shiira)
#include "tst_shiira.moc"
