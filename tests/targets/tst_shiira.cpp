#include "ModuleFixture.h"
#include "MozillaStores.h" // its store helpers: value, count, integrity

#include "targets/safari/SafariController.h"
#include "targets/shiira/ShiiraController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::PropertyList;

namespace {

const QString storePath = u"Library/Application Support/Shiira/Shiira.sql"_s;
const QString prefsPath = u"Library/Preferences/jp.hmdt.shiira.plist"_s;

// Shiira's rows as the user sees them, in offer order.
const QList<TraceSpec> traces = {
    {"Shiira Browsing History", "shiiraBrowsing", 'H', "Library/Application Support/Shiira/History.plist", "File"},
    {"Shiira Cache", "shiiraCache", 'H', "Library/Caches/jp.hmdt.shiira/Cache.db", "File"},
    {"Shiira Cookies", "shiiraCookies", 'H', "Library/Cookies/Cookies.plist", "File"},
    {"Shiira Download History", "shiiraDownloads", 'H', "Library/Application Support/Shiira/Shiira.sql", "Sqlite"},
    {"Shiira Last Session Information", "shiiraLastSession", 'H', "Library/Preferences/jp.hmdt.shiira.plist", "Plist", "generalLastPages"},
    {"Shiira Open Windows", "shiiraLastSession", 'H', "Library/Saved Application State/jp.hmdt.shiira.savedState", "Dir"},
    {"Shiira Webpage Icons", "shiiraWebpageIcons", 'H', "Library/Application Support/Shiira/IconDatabase/WebpageIcons.db", "File"},
};
const QString downloads = QLatin1String(traces[3].name);
const TraceSpec &lastSession = traces[4];
const TraceSpec &openWindows = traces[5];

// Shiira's store as Core Data writes it: the entity table with its Z_ columns, and the
// store's own key and metadata tables.
const QString coreDataSchema = 
    u"CREATE TABLE ZDOWNLOADITEM ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZSTATUS INTEGER,"
    " ZDATE TIMESTAMP, ZFILENAME VARCHAR, ZPATH VARCHAR, ZURLSTRING VARCHAR );"
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER);"
    "CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY, Z_UUID VARCHAR(255), Z_PLIST BLOB);"
    "INSERT INTO Z_PRIMARYKEY VALUES (1, 'DownloadItem', 0, 2);"
    "INSERT INTO Z_METADATA VALUES (1, '6F1C2B1E-0D7A-4C55-9E43-3A1B8E0F5D21', x'62706c6973743030d2010203045f10204e5353746f72654d6f64656c56657273696f6e48617368657356657273696f6e5b4e5353746f72655479706510035653514c697465080d303c3e0000000000000101000000000000000500000000000000000000000000000045');"_s;
const QString twoDownloads = 
    u"INSERT INTO ZDOWNLOADITEM VALUES (1, 1, 1, 2, 300000000.0, 'a.dmg', '/Users/me/Downloads/a.dmg', 'https://example.org/a.dmg');"
    "INSERT INTO ZDOWNLOADITEM VALUES (2, 1, 1, 2, 300000100.0, 'b.zip', '/Users/me/Downloads/b.zip', 'https://example.org/b.zip');"_s;

QVariantMap shiiraPrefs()
{
    return {{u"generalLastPages"_s, QVariantList{u"https://example.org/mail"_s}},
            {u"generalHomePage"_s, u"https://example.org/"_s},
            {u"tabsOpenInBackground"_s, true}};
}

struct Fixture : ModuleFixture<ShiiraController> {
    Fixture() : ModuleFixture("scanShiira", traces) {}
    QString store() const { return home.path(storePath); }

    bool writeEveryTrace()
    {
        return home.createSqlite(storePath, coreDataSchema + twoDownloads)
               && home.writePlist(prefsPath, shiiraPrefs())
               && writeMissingTraces();
    }
};

} // namespace

class tst_Shiira : public QObject
{
    Q_OBJECT
private slots:
    void offersEveryRowInOrder_data() { addKeysOffRows(switchKeys("scanShiira", traces)); }
    void offersEveryRowInOrder()
    {
        QFETCH(QStringList, keysOff);
        Fixture f;
        QVERIFY(f.writeEveryTrace());
        f.setSwitches(keysOff, false);
        QCOMPARE(f.offeredRows(), f.tableRows(keysOff));
    }

    void everyRequestAnsweredOnce()
    {
        Fixture f;
        QVERIFY(f.writeEveryTrace());
        const QList<resultItemPtr> rows = f.scan();
        QCOMPARE(rows.size(), f.table.size());
        QCOMPARE(f.answersToEachRow(rows), f.expectedAnswers(rows, false));
        QCOMPARE(mozstores::integrity(f.store()), u"ok"_s);
    }

    // The store is offered while its download table holds rows, and cleaned in place: the
    // rows go, the store and its Core Data tables stay. A probe never makes a store.
    void downloadStore_data()
    {
        QTest::addColumn<QString>("sql"); // empty: no store at all
        QTest::addColumn<QByteArray>("bytes"); // instead of sql: a file that is no database
        QTest::addColumn<bool>("offered");
        QTest::addColumn<bool>("cleaned");
        QTest::newRow("two downloads") << coreDataSchema + twoDownloads << QByteArray() << true << true;
        QTest::newRow("no downloads") << coreDataSchema << QByteArray() << false << true;
        QTest::newRow("no download table") << u"CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY);"_s
                                           << QByteArray() << false << false;
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
