#include "ModuleFixture.h"
#include "MozillaStores.h"

#include "targets/camino/CaminoController.h"

#include <QtTest>

using platform::UserDefaults;

namespace {

struct Trace {
    const char *name;
    const char *key;
    const char *path;
    const char *kind;
};

// Camino's rows as the user sees them, in offer order; one fixed folder, no profile.
const Trace traces[] = {
    {"Camino Browsing History", "caminoBrowsing", "Library/Application Support/Camino/places.sqlite", "Sqlite"},
    {"Camino Cache", "caminoCache", "Library/Caches/Camino/Cache", "Dir"},
    {"Camino Cookies", "caminoCookies", "Library/Application Support/Camino/cookies.sqlite", "Sqlite"},
    {"Camino Download History", "caminoDownloads", "Library/Application Support/Camino/downloads.plist", "File"},
    {"Camino Last Session Information", "caminoLastSession", "Library/Application Support/Camino/WindowState.plist", "File"},
    {"Camino Open Windows", "caminoLastSession", "Library/Saved Application State/org.mozilla.camino.savedState", "Dir"},
    {"Camino Webpage Icons", "caminoWebpageIcons", "Library/Caches/Camino/IconCache", "Dir"},
    {"Camino DOM Storage", "caminoDOM", "Library/Application Support/Camino/webappsstore.sqlite", "File"},
};
constexpr int traceCount = int(sizeof(traces) / sizeof(traces[0]));
const QString places = QStringLiteral("Library/Application Support/Camino/places.sqlite");
const QString cookies = QStringLiteral("Library/Application Support/Camino/cookies.sqlite");

QStringList allKeys()
{
    QStringList keys{QStringLiteral("scanCamino")};
    for (const Trace &t : traces) {
        if (!keys.contains(QString::fromLatin1(t.key)))
            keys.append(QString::fromLatin1(t.key));
    }
    return keys;
}

struct Fixture : ModuleFixture<CaminoController> {
    Fixture()
        : ModuleFixture(allKeys())
    {
    }

    void writeEveryTrace()
    {
        QVERIFY(mozstores::writeLegacyPlaces(home.path(places)));
        QVERIFY(mozstores::writeCookies(home.path(cookies)));
        for (int i = 0; i < traceCount; ++i) {
            const QString path = home.path(QString::fromLatin1(traces[i].path));
            if (QFile::exists(path))
                continue;
            if (QLatin1String(traces[i].kind) == QLatin1String("Dir"))
                QVERIFY(FakeHome::writeFileAt(path + QStringLiteral("/entry"), QByteArray(500 + i, 'd')));
            else
                QVERIFY(FakeHome::writeFileAt(path, QByteArray(700 + i, 'f')));
        }
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
    QTest::addColumn<QStringList>("keysOff");
    QTest::newRow("every key on") << QStringList{};
    const QStringList keys = allKeys().mid(1);
    for (const QString &key : keys)
        QTest::newRow(qPrintable(key + QStringLiteral(" off"))) << QStringList{key};
}

void tst_Camino::offersEveryRowInOrder()
{
    QFETCH(QStringList, keysOff);
    Fixture f;
    f.writeEveryTrace();
    for (const QString &key : keysOff)
        UserDefaults::standardUserDefaults().setBool(false, key);
    QStringList expected, expectedPaths, expectedKinds;
    for (const Trace &t : traces) {
        if (!keysOff.contains(QLatin1String(t.key))) {
            expected.append(QString::fromLatin1(t.name));
            expectedPaths.append(f.home.path(QString::fromLatin1(t.path)));
            expectedKinds.append(QString::fromLatin1(t.kind));
        }
    }
    QStringList names, paths, kinds;
    for (const resultItemPtr &row : f.scan()) {
        names.append(row->resultItemName());
        paths.append(row->resultItemPath());
        kinds.append(row->resultItemType());
    }
    QCOMPARE(names, expected);
    QCOMPARE(paths, expectedPaths);
    QCOMPARE(kinds, expectedKinds);
}

void tst_Camino::countRules_data()
{
    QTest::addColumn<QString>("placesSql");
    QTest::addColumn<QString>("cookiesSql");
    QTest::addColumn<QStringList>("expected");
    const QString history = QStringLiteral("Camino Browsing History");
    const QString cookieRow = QStringLiteral("Camino Cookies");
    const QString legacy = QString::fromLatin1(mozstores::legacyPlacesSchema) + QString::fromLatin1(mozstores::bookmarkRows);
    const QString cookieTable = QString::fromLatin1(mozstores::cookiesSchema);
    // Every visit counts, also one of a bookmarked place.
    QTest::newRow("visits of bookmarked places only") << legacy << cookieTable + QString::fromLatin1(mozstores::cookieRows)
                                                      << QStringList{history, cookieRow};
    QTest::newRow("empty cookie table") << legacy << cookieTable << QStringList{history};
    QTest::newRow("no visits") << legacy + QStringLiteral("DELETE FROM moz_historyvisits;")
                               << cookieTable + QString::fromLatin1(mozstores::cookieRows) << QStringList{cookieRow};
    // Each collector offers one row: a failed count loses only that row.
    QTest::newRow("places without its tables") << QStringLiteral("CREATE TABLE other (x);")
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
    QCOMPARE(f.scannedNames(), QStringList{QStringLiteral("Camino Browsing History")});
    QCOMPARE(f.cleanInPlace(QStringLiteral("Camino Browsing History"), path), true);
    QCOMPARE(mozstores::count(path, QStringLiteral("SELECT count(*) FROM moz_historyvisits")), 0);
    QCOMPARE(mozstores::value(path, QStringLiteral("SELECT group_concat(id) FROM moz_places")), QString("1,4"));
    QCOMPARE(mozstores::danglingBookmarks(path), 0);
    QCOMPARE(mozstores::integrity(path), QStringLiteral("ok"));
}

void tst_Camino::everyRequestAnsweredOnce()
{
    Fixture f;
    f.writeEveryTrace();
    const QList<resultItemPtr> rows = f.scan();
    QCOMPARE(rows.size(), traceCount);
    for (int i = 0; i < rows.size(); ++i) {
        const QString path = rows.at(i)->resultItemPath();
        const QList<CleaningRecorder::Event> events = f.clean(rows.at(i)->resultItemName(), path);
        QCOMPARE(events.size(), 1);
        if (QLatin1String(traces[i].kind) == QLatin1String("Sqlite")) {
            QCOMPARE(events.first().name, CleaningRecorder::status);
            QCOMPARE(events.first().info.value(QStringLiteral("didClean")).toBool(), true);
            QCOMPARE(mozstores::integrity(path), QStringLiteral("ok"));
        } else {
            QCOMPARE(events.first().name, CleaningRecorder::removal);
            QCOMPARE(events.first().info.value(QStringLiteral("removalItemRefPath")).toString(), path);
        }
    }
    QVERIFY(f.scannedNames().isEmpty());
    // A row cleaned again once its file is gone is answered not cleaned.
    const QString dom = f.home.path(QString::fromLatin1(traces[traceCount - 1].path));
    QCOMPARE(f.cleanInPlace(QStringLiteral("Camino DOM Storage"), dom), false);
}

QTEST_MAIN(tst_Camino)
#include "tst_camino.moc"
