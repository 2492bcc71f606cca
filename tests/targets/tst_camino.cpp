#include "ModuleFixture.h"
#include "MozillaStores.h"

#include "targets/camino/CaminoController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

namespace {

// Camino's rows as the user sees them, in offer order; one fixed folder, no profile.
const QList<TraceSpec> traces = {
    {"Camino Browsing History", "caminoBrowsing", 'H', "Library/Application Support/Camino/places.sqlite", "Sqlite"},
    {"Camino Cache", "caminoCache", 'H', "Library/Caches/Camino/Cache", "Dir"},
    {"Camino Cookies", "caminoCookies", 'H', "Library/Application Support/Camino/cookies.sqlite", "Sqlite"},
    {"Camino Download History", "caminoDownloads", 'H', "Library/Application Support/Camino/downloads.plist", "File"},
    {"Camino Last Session Information", "caminoLastSession", 'H', "Library/Application Support/Camino/WindowState.plist", "File"},
    {"Camino Open Windows", "caminoLastSession", 'H', "Library/Saved Application State/org.mozilla.camino.savedState", "Dir"},
    {"Camino Webpage Icons", "caminoWebpageIcons", 'H', "Library/Caches/Camino/IconCache", "Dir"},
    {"Camino DOM Storage", "caminoDOM", 'H', "Library/Application Support/Camino/webappsstore.sqlite", "File"},
};
const QString places = u"Library/Application Support/Camino/places.sqlite"_s;
const QString cookies = u"Library/Application Support/Camino/cookies.sqlite"_s;

struct Fixture : ModuleFixture<CaminoController> {
    Fixture()
        : ModuleFixture("scanCamino", traces)
    {
    }

    bool writeEveryTrace()
    {
        return mozstores::writeLegacyPlaces(home.path(places))
               && mozstores::writeCookies(home.path(cookies))
               && writeMissingTraces();
    }
};

} // namespace

class tst_Camino : public QObject
{
    Q_OBJECT
private slots:
    void offersEveryRowInOrder_data();
    void offersEveryRowInOrder();
    void countRules_data();
    void countRules();
    void historyKeepsBookmarkedPlaces();
    void everyRequestAnsweredOnce();
};

void tst_Camino::offersEveryRowInOrder_data()
{
    addKeysOffRows(switchKeys("scanCamino", traces));
}

void tst_Camino::offersEveryRowInOrder()
{
    QFETCH(QStringList, keysOff);
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    f.setSwitches(keysOff, false);
    QCOMPARE(f.offeredRows(), f.tableRows(keysOff));
}

void tst_Camino::countRules_data()
{
    QTest::addColumn<QString>("placesSql");
    QTest::addColumn<QString>("cookiesSql");
    QTest::addColumn<QStringList>("expected");
    const QString history = u"Camino Browsing History"_s;
    const QString cookieRow = u"Camino Cookies"_s;
    const QString legacy = QString::fromLatin1(mozstores::legacyPlacesSchema) + QString::fromLatin1(mozstores::bookmarkRows);
    const QString cookieTable = QString::fromLatin1(mozstores::cookiesSchema);
    // Every visit counts, also one of a bookmarked place.
    QTest::newRow("visits of bookmarked places only") << legacy << cookieTable + QString::fromLatin1(mozstores::cookieRows)
                                                      << QStringList{history, cookieRow};
    QTest::newRow("empty cookie table") << legacy << cookieTable << QStringList{history};
    QTest::newRow("no visits") << legacy + u"DELETE FROM moz_historyvisits;"_s
                               << cookieTable + QString::fromLatin1(mozstores::cookieRows) << QStringList{cookieRow};
    // Each collector offers one row: a failed count loses only that row.
    QTest::newRow("places without its tables") << u"CREATE TABLE other (x);"_s
                                               << cookieTable + QString::fromLatin1(mozstores::cookieRows) << QStringList{cookieRow};
}

void tst_Camino::countRules()
{
    QFETCH(QString, placesSql);
    QFETCH(QString, cookiesSql);
    QFETCH(QStringList, expected);
    Fixture f;
    QVERIFY(mozstores::run(f.home.path(places), placesSql));
    QVERIFY(mozstores::run(f.home.path(cookies), cookiesSql));
    QCOMPARE(f.scannedNames(), expected);
}

void tst_Camino::historyKeepsBookmarkedPlaces()
{
    Fixture f;
    const QString path = f.home.path(places);
    QVERIFY(mozstores::run(path, QString::fromLatin1(mozstores::legacyPlacesSchema) + QString::fromLatin1(mozstores::bookmarkRows)));
    QCOMPARE(f.scannedNames(), QStringList{u"Camino Browsing History"_s});
    QCOMPARE(f.cleanInPlace(u"Camino Browsing History"_s, path), true);
    QCOMPARE(mozstores::count(path, u"SELECT count(*) FROM moz_historyvisits"_s), 0);
    QCOMPARE(mozstores::value(path, u"SELECT group_concat(id) FROM moz_places"_s), QString("1,4"));
    QCOMPARE(mozstores::danglingBookmarks(path), 0);
    QCOMPARE(mozstores::integrity(path), u"ok"_s);
}

void tst_Camino::everyRequestAnsweredOnce()
{
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    const QList<resultItemPtr> rows = f.scan();
    QCOMPARE(rows.size(), f.table.size());
    QCOMPARE(f.answersToEachRow(rows), f.expectedAnswers(rows, false));
    for (const QString &store : {places, cookies})
        QCOMPARE(mozstores::integrity(f.home.path(store)), u"ok"_s);
    QVERIFY(f.scannedNames().isEmpty());
    // A row cleaned again once its file is gone is answered not cleaned.
    const QString dom = f.pathOf(traces.last());
    QCOMPARE(f.cleanInPlace(u"Camino DOM Storage"_s, dom), false);
}

QTEST_MAIN(tst_Camino)
#include "tst_camino.moc"
