#include "SeaMonkeyFixture.h"

#include "platform/files/FileManager.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::UserDefaults;
using namespace seamonkeyfixture;

class tst_SeaMonkey : public QObject
{
    Q_OBJECT
private slots:
    void profileLookup_data();
    void profileLookup();
    void countRules_data();
    void countRules();
    void cleaningSqlRow_data();
    void cleaningSqlRow();
    void vanishedProfileAnswersNotCleaned();
};

void tst_SeaMonkey::profileLookup_data()
{
    QTest::addColumn<QStringList>("entries"); // created below the Profiles folder, in this order
    QTest::addColumn<QString>("expected");    // "first listed" / "last listed" of two matches
    QTest::addColumn<QByteArray>("ini");      // SeaMonkey's own profiles.ini, %LAST% the last listed
    QTest::newRow("directly inside") << QStringList{"ab.default"} << "ab.default" << QByteArray();
    QTest::newRow("one level down") << QStringList{"q7/ab.default"} << "q7/ab.default" << QByteArray();
    QTest::newRow("deep") << QStringList{"a/b/c/zz.default"} << "a/b/c/zz.default" << QByteArray();
    QTest::newRow("longer suffix does not count")
        << QStringList{"ab.default-release", "cd.defaults"} << "" << QByteArray();
    QTest::newRow("case counts") << QStringList{"ab.Default"} << "" << QByteArray();
    QTest::newRow("a bare dot name is no extension") << QStringList{".default"} << "" << QByteArray();
    QTest::newRow("two matches") << QStringList{"one.default", "two.default"} << "first listed" << QByteArray();
    QTest::newRow("two other matches") << QStringList{"zq81.default", "ab07.default"} << "first listed" << QByteArray();
    QTest::newRow("no Profiles folder") << QStringList{} << "" << QByteArray();
    // The file's choice wins over the walk, the first listed left alone.
    QTest::newRow("profiles.ini marks one")
        << QStringList{"one.default", "two.default"} << "last listed"
        << QByteArray(
               "[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=one\nIsRelative=1\nPath=Profiles/%FIRST%\n\n"
               "[Profile1]\nName=two\nIsRelative=1\nPath=Profiles/%LAST%\nDefault=1\n");
    QTest::newRow("profiles.ini naming none of several")
        << QStringList{"one.default", "two.default"} << ""
        << QByteArray("[Profile0]\nName=one\nIsRelative=1\nPath=Profiles/one.default\n\n"
                      "[Profile1]\nName=two\nIsRelative=1\nPath=Profiles/two.default\n");
}

void tst_SeaMonkey::profileLookup()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, expected);
    QFETCH(QByteArray, ini);
    ModuleFixture<SeaMonkeyController> f("scanSeaMonkey", traces);
    const QString base = f.home.path(profilesRel);
    for (const QString &entry : entries)
        QVERIFY(f.home.writeFile(profilesRel + QLatin1Char('/') + entry + u"/urlbarhistory.sqlite"_s, "u"));
    const QStringList listed = platform::FileManager::defaultManager().contentsOfDirectoryAtPath(base);
    if (expected.endsWith(QLatin1String(" listed"))) {
        QCOMPARE(listed.size(), 2);
        expected = expected == QLatin1String("first listed") ? listed.first() : listed.last();
    }
    if (!ini.isEmpty()) {
        ini.replace("%FIRST%", QFile::encodeName(listed.first())).replace("%LAST%", QFile::encodeName(listed.last()));
        QVERIFY(f.home.writeFile(u"Library/Application Support/SeaMonkey/profiles.ini"_s, ini));
    }
    const QString profile = expected.isEmpty() ? QString() : base + QLatin1Char('/') + expected;
    QCOMPARE(f.module.getSeaMonkeyPath(), profile);
    // The same rule finds the cache profile, in its own folder.
    QCOMPARE(f.module.getSeaMonkeyCachePath(), QString());

    const QStringList expectedPaths =
        profile.isEmpty() ? QStringList{} : QStringList{profile + u"/urlbarhistory.sqlite"_s};
    QStringList paths;
    for (const resultItemPtr &row : f.scan())
        paths.append(row->resultItemPath());
    QCOMPARE(paths, expectedPaths);
}

void tst_SeaMonkey::countRules_data()
{
    QTest::addColumn<QString>("placesSql");
    QTest::addColumn<bool>("searchBarOnly");
    QTest::addColumn<QStringList>("expected");
    const QString history = u"SeaMonkey Browsing History"_s;
    const QString hosts = u"SeaMonkey URL Autocomplete History"_s;
    const QString typed = u"SeaMonkey Typed History"_s;
    const QString forms = u"SeaMonkey Form Values"_s;
    const QString legacy =
        QString::fromLatin1(mozstores::legacyPlacesSchema) + QString::fromLatin1(mozstores::bookmarkRows);
    QTest::newRow("visits and hosts") << legacy + QString::fromLatin1(mozstores::historyRows)
            + QString::fromLatin1(mozstores::legacyExtraRows)
                                      << false << QStringList{history, hosts, typed, forms};
    QTest::newRow("no visits, no hosts") << legacy + u"DELETE FROM moz_historyvisits;"_s << false
                                         << QStringList{typed, forms};
    // A failed second probe withholds its own row only.
    QTest::newRow("no moz_hosts table") << QString::fromLatin1(mozstores::currentPlacesSchema)
            + QString::fromLatin1(mozstores::bookmarkRows)
                                        << false << QStringList{history, typed, forms};
    QTest::newRow("search-bar entries are not form values") << legacy << true << QStringList{history, typed};
}

void tst_SeaMonkey::countRules()
{
    QFETCH(QString, placesSql);
    QFETCH(bool, searchBarOnly);
    QFETCH(QStringList, expected);
    Fixture f;
    QVERIFY(mozstores::run(f.inProfile("places.sqlite"), placesSql));
    QVERIFY(f.home.writeFile(f.inProfile("urlbarhistory.sqlite"), "typed"));
    QVERIFY(mozstores::writeFormHistory(f.inProfile("formhistory.sqlite"), !searchBarOnly, true));
    QCOMPARE(f.scannedNames(), expected);
    QCOMPARE(f.module.seaMonkeyHistoryItemsExist(), expected.contains(u"SeaMonkey Browsing History"_s));
    QCOMPARE(f.module.seaMonkeyURLAutocompleteHistoryItemsExist(),
             expected.contains(u"SeaMonkey URL Autocomplete History"_s));
}

void tst_SeaMonkey::cleaningSqlRow_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("store");
    QTest::addColumn<QString>("goneCount"); // must count 0 afterwards
    QTest::addColumn<QString>("keptCount"); // must count as many as before
    QTest::newRow("history") << "SeaMonkey Browsing History"
                             << "places.sqlite"
                             << "SELECT count(*) FROM moz_historyvisits"
                             << "SELECT count(*) FROM moz_places WHERE id IN (SELECT fk FROM moz_bookmarks)";
    QTest::newRow("typed hosts") << "SeaMonkey URL Autocomplete History"
                                 << "places.sqlite"
                                 << "SELECT count(*) FROM moz_hosts"
                                 << "SELECT count(*) FROM moz_historyvisits";
    QTest::newRow("cookies") << "SeaMonkey Cookies"
                             << "cookies.sqlite"
                             << "SELECT count(*) FROM moz_cookies"
                             << "SELECT count(*) FROM sqlite_master";
    QTest::newRow("downloads") << "SeaMonkey Download History"
                               << "downloads.sqlite"
                               << "SELECT count(*) FROM moz_downloads"
                               << "SELECT count(*) FROM sqlite_master";
    QTest::newRow("form values keep the search bar's")
        << "SeaMonkey Form Values"
        << "formhistory.sqlite"
        << "SELECT count(*) FROM moz_formhistory WHERE fieldname != 'searchbar-history'"
        << "SELECT count(*) FROM moz_formhistory WHERE fieldname = 'searchbar-history'";
}

void tst_SeaMonkey::cleaningSqlRow()
{
    QFETCH(QString, item);
    QFETCH(QString, store);
    QFETCH(QString, goneCount);
    QFETCH(QString, keptCount);
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    const QString path = f.inProfile(qPrintable(store));
    QVERIFY(mozstores::count(path, goneCount) > 0);
    const int kept = mozstores::count(path, keptCount);
    QVERIFY(kept > 0);

    QCOMPARE(f.cleanInPlace(item, path), true);
    QCOMPARE(mozstores::count(path, goneCount), 0);
    QCOMPARE(mozstores::count(path, keptCount), kept);
    QCOMPARE(mozstores::integrity(path), u"ok"_s);
    if (store == QLatin1String("places.sqlite"))
        QCOMPARE(mozstores::danglingBookmarks(path), 0);
    QVERIFY(!f.scannedNames().contains(item));
}

void tst_SeaMonkey::vanishedProfileAnswersNotCleaned()
{
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    const QList<resultItemPtr> rows = f.scan();
    // The profile and the cache profile lose their ".default": neither is found any more.
    QVERIFY(QDir().rename(f.profile, f.profile + u"-old"_s));
    QVERIFY(QDir().rename(f.cache, f.cache + u"-old"_s));
    QCOMPARE(rows.size(), f.table.size());
    QCOMPARE(f.answersToEachRow(rows), f.expectedAnswers(rows, true));
    // Nothing was made or moved in the old profile.
    QCOMPARE(mozstores::count(f.profile + u"-old/cookies.sqlite"_s, u"SELECT count(*) FROM moz_cookies"_s), 1);
    QVERIFY(!QFile::exists(f.profile));
}

QTEST_MAIN(tst_SeaMonkey)
#include "tst_seamonkey.moc"
