#include "ModuleHarness.h"

#include "platform/PropertyList.h"
#include "targets/safari/SafariController.h"
#include "targets/shiira/ShiiraController.h"

#include <sqlite3.h>

using platform::PropertyList;

namespace {

const QString storePath = QStringLiteral("Library/Application Support/Shiira/Shiira.sql");
const QString prefsPath = QStringLiteral("Library/Preferences/jp.hmdt.shiira.plist");

const QList<Trace> kTraces = {
    {"Shiira Browsing History", "shiiraBrowsing", "Library/Application Support/Shiira/History.plist", "File", ""},
    {"Shiira Cache", "shiiraCache", "Library/Caches/jp.hmdt.shiira/Cache.db", "File", ""},
    {"Shiira Cookies", "shiiraCookies", "Library/Cookies/Cookies.plist", "File", ""},
    {"Shiira Download History", "shiiraDownloads", "Library/Application Support/Shiira/Shiira.sql", "Sqlite", ""},
    {"Shiira Last Session Information", "shiiraLastSession", "Library/Preferences/jp.hmdt.shiira.plist", "Plist", "generalLastPages"},
    {"Shiira Open Windows", "shiiraLastSession", "Library/Saved Application State/jp.hmdt.shiira.savedState", "Dir", ""},
    {"Shiira Webpage Icons", "shiiraWebpageIcons", "Library/Application Support/Shiira/IconDatabase/WebpageIcons.db", "File", ""},
};
constexpr int downloadsRow = 3;
constexpr int lastSessionRow = 4;
constexpr int openWindowsRow = 5;

// Shiira's store as Core Data writes it: the entity table with its Z_ columns, and the
// store's own key and metadata tables.
const QString coreDataSchema = QStringLiteral(
    "CREATE TABLE ZDOWNLOADITEM ( Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZSTATUS INTEGER,"
    " ZDATE TIMESTAMP, ZFILENAME VARCHAR, ZPATH VARCHAR, ZURLSTRING VARCHAR );"
    "CREATE TABLE Z_PRIMARYKEY (Z_ENT INTEGER PRIMARY KEY, Z_NAME VARCHAR, Z_SUPER INTEGER, Z_MAX INTEGER);"
    "CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY, Z_UUID VARCHAR(255), Z_PLIST BLOB);"
    "INSERT INTO Z_PRIMARYKEY VALUES (1, 'DownloadItem', 0, 2);"
    "INSERT INTO Z_METADATA VALUES (1, '6F1C2B1E-0D7A-4C55-9E43-3A1B8E0F5D21', x'62706c6973743030d2010203045f10204e5353746f72654d6f64656c56657273696f6e48617368657356657273696f6e5b4e5353746f72655479706510035653514c697465080d303c3e0000000000000101000000000000000500000000000000000000000000000045');");
const QString twoDownloads = QStringLiteral(
    "INSERT INTO ZDOWNLOADITEM VALUES (1, 1, 1, 2, 300000000.0, 'a.dmg', '/Users/me/Downloads/a.dmg', 'https://example.org/a.dmg');"
    "INSERT INTO ZDOWNLOADITEM VALUES (2, 1, 1, 2, 300000100.0, 'b.zip', '/Users/me/Downloads/b.zip', 'https://example.org/b.zip');");

QVariantMap shiiraPrefs()
{
    return {{QStringLiteral("generalLastPages"), QVariantList{QStringLiteral("https://example.org/mail")}},
            {QStringLiteral("generalHomePage"), QStringLiteral("https://example.org/")},
            {QStringLiteral("tabsOpenInBackground"), true}};
}

// The first column of the first row, or an empty string.
QString query(const QString &db, const char *sql)
{
    sqlite3 *h = nullptr;
    QString value;
    if (sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(h, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(h);
    return value;
}

struct Fixture : ModuleHarness<ShiiraController> {
    Fixture() : ModuleHarness(kTraces, QStringLiteral("Shiira")) {}
    QString store() const { return home.path(storePath); }
};

} // namespace

class tst_Shiira : public QObject
{
    Q_OBJECT
private slots:
    void scanFollowsTable_data() { ModuleHarness<ShiiraController>::addKeysOffRows(kTraces); }
    void scanFollowsTable()
    {
        QFETCH(QStringList, keysOff);
        Fixture f;
        f.writeFilesAndFolders();
        QVERIFY(f.home.createSqlite(storePath, coreDataSchema + twoDownloads));
        QVERIFY(f.home.writePlist(prefsPath, shiiraPrefs()));
        f.checkScanWithKeysOff(keysOff);
    }

    void moveRowCleans_data() { ModuleHarness<ShiiraController>::addMoveRows(kTraces); }
    void moveRowCleans()
    {
        QFETCH(int, row);
        Fixture f;
        f.writeFilesAndFolders();
        f.checkMoveRow(row);
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
        QTest::newRow("no download table") << QStringLiteral("CREATE TABLE Z_METADATA (Z_VERSION INTEGER PRIMARY KEY);")
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
        QCOMPARE(f.scannedNames(), offered ? QStringList{f.nameOf(downloadsRow)} : QStringList{});
        QCOMPARE(QFile::exists(f.store()), existed);

        f.clean(f.nameOf(downloadsRow), f.store());
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        QCOMPARE(f.recorder.events.first().info.value(QStringLiteral("cleaningItemPath")).toString(), f.store());
        QCOMPARE(f.recorder.events.first().info.value(QStringLiteral("didClean")).toBool(), cleaned);
        QCOMPARE(QFile::exists(f.store()), existed);
        if (cleaned) {
            QCOMPARE(query(f.store(), "SELECT count(*) FROM ZDOWNLOADITEM"), QStringLiteral("0"));
            QCOMPARE(query(f.store(), "SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_NAME = 'DownloadItem'"), QStringLiteral("2"));
            QCOMPARE(query(f.store(), "SELECT count(*) FROM Z_METADATA"), QStringLiteral("1"));
            QCOMPARE(query(f.store(), "PRAGMA integrity_check"), QStringLiteral("ok"));
        }
    }

    // The last pages are offered while listed; the saved windows whatever the list says.
    void lastSessionRows_data()
    {
        QTest::addColumn<QVariant>("pages");
        QTest::addColumn<bool>("offered");
        QTest::newRow("one page") << QVariant(QVariantList{QStringLiteral("https://example.org/")}) << true;
        QTest::newRow("empty") << QVariant(QVariantList{}) << false;
        QTest::newRow("absent") << QVariant() << false;
    }
    void lastSessionRows()
    {
        QFETCH(QVariant, pages);
        QFETCH(bool, offered);
        Fixture f;
        QVariantMap prefs = shiiraPrefs();
        prefs.remove(QStringLiteral("generalLastPages"));
        if (pages.isValid())
            prefs.insert(QStringLiteral("generalLastPages"), pages);
        QVERIFY(f.home.writePlist(prefsPath, prefs));
        QVERIFY(f.home.writeFile(QString::fromLatin1(kTraces[openWindowsRow].path) + QStringLiteral("/data.data"), "w"));
        QStringList expected{f.nameOf(openWindowsRow)};
        if (offered)
            expected.prepend(f.nameOf(lastSessionRow));
        QCOMPARE(f.scannedNames(), expected);
    }

    void cleaningLastPagesKeepsTheRest()
    {
        Fixture f;
        f.checkKeyRewrite(lastSessionRow, shiiraPrefs(), PropertyList::Format::Xml);
    }

    // Safari and Shiira offer the same cookie file; the second to clean it finds it gone.
    void cookiesAfterSafariCookiesAreNotCleaned()
    {
        Fixture f;
        SafariController safari;
        f.home.addApplication(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"));
        safari.setFileControl(&f.files);
        safari.init();
        const QString cookies = f.home.path(QStringLiteral("Library/Cookies/Cookies.plist"));
        QVERIFY(f.home.writePlist(cookies, QVariantList{QVariantMap{{QStringLiteral("Domain"), QStringLiteral(".example.org")}}}));
        postCleaningRequest(QStringLiteral("Safari"), QStringLiteral("Safari Cookies"), cookies);
        f.clean(QStringLiteral("Shiira Cookies"), cookies);
        QCOMPARE(f.recorder.names(), (QStringList{CleaningRecorder::removal, CleaningRecorder::status}));
        QCOMPARE(f.recorder.events.at(0).info.value(QStringLiteral("removalItemAppName")).toString(), QStringLiteral("Safari"));
        const QVariantMap status = f.recorder.events.at(1).info;
        QCOMPARE(status.value(QStringLiteral("cleaningItemAppName")).toString(), QStringLiteral("Shiira"));
        QCOMPARE(status.value(QStringLiteral("cleaningItemName")).toString(), QStringLiteral("Shiira Cookies"));
        QCOMPARE(status.value(QStringLiteral("didClean")).toBool(), false);
    }
};

QTEST_MAIN(tst_Shiira)
#include "tst_shiira.moc"
