#include "CaminoFixture.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::UserDefaults;
using namespace caminofixture;

class tst_Camino : public QObject
{
    Q_OBJECT
private slots:
    void countRules_data();
    void countRules();
    void historyKeepsBookmarkedPlaces();
};

void tst_Camino::countRules_data()
{
    QTest::addColumn<QString>("placesSql");
    QTest::addColumn<QString>("cookiesSql");
    QTest::addColumn<QStringList>("expected");
    const QString history = u"Camino Browsing History"_s;
    const QString cookieRow = u"Camino Cookies"_s;
    const QString legacy =
        QString::fromLatin1(mozstores::legacyPlacesSchema) + QString::fromLatin1(mozstores::bookmarkRows);
    const QString cookieTable = QString::fromLatin1(mozstores::cookiesSchema);
    // Every visit counts, also one of a bookmarked place.
    QTest::newRow("visits of bookmarked places only")
        << legacy << cookieTable + QString::fromLatin1(mozstores::cookieRows) << QStringList{history, cookieRow};
    QTest::newRow("empty cookie table") << legacy << cookieTable << QStringList{history};
    QTest::newRow("no visits") << legacy + u"DELETE FROM moz_historyvisits;"_s
                               << cookieTable + QString::fromLatin1(mozstores::cookieRows) << QStringList{cookieRow};
    // Each collector offers one row: a failed count loses only that row.
    QTest::newRow("places without its tables")
        << u"CREATE TABLE other (x);"_s << cookieTable + QString::fromLatin1(mozstores::cookieRows)
        << QStringList{cookieRow};
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
    QVERIFY(mozstores::run(
        path, QString::fromLatin1(mozstores::legacyPlacesSchema) + QString::fromLatin1(mozstores::bookmarkRows)));
    QCOMPARE(f.scannedNames(), QStringList{u"Camino Browsing History"_s});
    QCOMPARE(f.cleanInPlace(u"Camino Browsing History"_s, path), true);
    QCOMPARE(mozstores::count(path, u"SELECT count(*) FROM moz_historyvisits"_s), 0);
    QCOMPARE(mozstores::value(path, u"SELECT group_concat(id) FROM moz_places"_s), QString("1,4"));
    QCOMPARE(mozstores::danglingBookmarks(path), 0);
    QCOMPARE(mozstores::integrity(path), u"ok"_s);
}

QTEST_MAIN(tst_Camino)
#include "tst_camino.moc"
