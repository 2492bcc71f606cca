#include "FirefoxFixture.h"

#include "platform/files/FileManager.h"

#include <QtTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::UserDefaults;
using namespace firefoxfixture;

class tst_Firefox : public QObject
{
    Q_OBJECT
private slots:
    void countRules_data();
    void countRules();
    void firstListedProfileWins_data();
    void firstListedProfileWins();
    void downloadAnnotationsFoundByName_data();
    void downloadAnnotationsFoundByName();
    void historyTakesWhatOnlyItUsed_data();
    void historyTakesWhatOnlyItUsed();
    void secureRemovalLeavesNoCleanedRowReadable_data();
    void secureRemovalLeavesNoCleanedRowReadable();
    void linkedStoreIsNeitherOfferedNorCleaned();
    void everyRequestAnsweredOnce_data();
    void everyRequestAnsweredOnce();
    void profilesIniChoosesTheProfile_data();
    void profilesIniChoosesTheProfile();
    void webStorageKeepsExtensions_data();
    void webStorageKeepsExtensions();
};

void tst_Firefox::countRules_data()
{
    QTest::addColumn<int>("places");
    QTest::addColumn<QByteArray>("downloads"); // "rows", "no table", "garbage" or empty (none)
    QTest::addColumn<QString>("forms");        // "forms", "search", "both" or empty (none)
    QTest::addColumn<QStringList>("expected");

    const QString history = u"Firefox Browsing History"_s;
    const QString hosts = u"Firefox URL Autocomplete History"_s;
    const QString legacyDownloads = u"Firefox Legacy Download History"_s;
    const QString downloads = u"Firefox Download History"_s;
    const QString formValues = u"Firefox Form Values"_s;
    const QString searches = u"Firefox Recent Searches"_s;
    const QString icons = u"Firefox Webpage Icons"_s;
    const QString iconsDb = u"Firefox Webpage Icons Database"_s;

    // Current profiles have no moz_hosts and no moz_favicons: the failed icon count withholds
    // that row alone, and favicons.sqlite is offered.
    QTest::newRow("current places") << int(Places::Current) << QByteArray() << QString()
                                    << QStringList{history, downloads, iconsDb};
    QTest::newRow("legacy places") << int(Places::Legacy) << QByteArray() << QString()
                                   << QStringList{history, hosts, downloads, icons, iconsDb};
    // Places without a visit do not count, nor does an annotation that is not a download's.
    QTest::newRow("places without visits")
        << int(Places::LegacyUnvisited) << QByteArray() << QString() << QStringList{iconsDb};
    QTest::newRow("visits, empty hosts and icons")
        << int(Places::LegacyVisitsOnlyBookmarked) << QByteArray() << QString() << QStringList{history, iconsDb};
    QTest::newRow("places not a database") << int(Places::Garbage) << QByteArray() << QString() << QStringList{iconsDb};
    QTest::newRow("no places") << int(Places::None) << QByteArray() << QString() << QStringList{iconsDb};
    QTest::newRow("legacy downloads") << int(Places::Current) << QByteArray("rows") << QString()
                                      << QStringList{history, legacyDownloads, downloads, iconsDb};
    // A failed count of the legacy downloads ends its collector before places is counted.
    QTest::newRow("downloads without its table")
        << int(Places::Legacy) << QByteArray("no table") << QString() << QStringList{history, hosts, icons, iconsDb};
    QTest::newRow("downloads not a database")
        << int(Places::Legacy) << QByteArray("garbage") << QString() << QStringList{history, hosts, icons, iconsDb};
    QTest::newRow("search-bar entries only")
        << int(Places::None) << QByteArray() << u"search"_s << QStringList{searches, iconsDb};
    QTest::newRow("form entries only") << int(Places::None) << QByteArray() << u"forms"_s
                                       << QStringList{formValues, iconsDb};
    QTest::newRow("both kinds of entries")
        << int(Places::None) << QByteArray() << u"both"_s << QStringList{formValues, searches, iconsDb};
}

void tst_Firefox::countRules()
{
    QFETCH(int, places);
    QFETCH(QByteArray, downloads);
    QFETCH(QString, forms);
    QFETCH(QStringList, expected);
    Fixture f;
    QVERIFY(f.writePlaces(Places(places)));
    QVERIFY(FakeHome::writeFileAt(f.inProfile("favicons.sqlite"), QByteArray(5000, 'i')));
    const QString downloadsPath = f.inProfile("downloads.sqlite");
    if (downloads == "rows")
        QVERIFY(mozstores::writeDownloads(downloadsPath));
    else if (downloads == "no table")
        QVERIFY(mozstores::run(downloadsPath, u"CREATE TABLE moz_meta (key TEXT PRIMARY KEY, value);"_s));
    else if (downloads == "garbage")
        QVERIFY(FakeHome::writeFileAt(downloadsPath, QByteArray(3000, 'x')));
    if (!forms.isEmpty()) {
        const bool both = forms == QLatin1String("both");
        QVERIFY(mozstores::writeFormHistory(f.inProfile("formhistory.sqlite"), both || forms == QLatin1String("forms"),
                                            both || forms == QLatin1String("search")));
    }

    const platform::FileManager &fm = FileManager::defaultManager();
    const QString placesPath = f.inProfile("places.sqlite");
    const auto placesBytes = [&] {
        return QList<std::optional<QByteArray>>{fm.contentsAtPath(placesPath),
                                                fm.contentsAtPath(placesPath + u"-wal"_s)};
    };
    const auto before = placesBytes();
    QCOMPARE(f.scannedNames(), expected);
    // A scan writes no store, nor folds a log back into it.
    QVERIFY(placesBytes() == before);
    // The module's own probe methods agree with the rows they stand for.
    QCOMPARE(f.module.firefoxHistoryItemsExist(), expected.contains(u"Firefox Browsing History"_s));
    QCOMPARE(f.module.firefoxURLAutocompleteHistoryItemsExist(),
             expected.contains(u"Firefox URL Autocomplete History"_s));
    // A probe never creates a database that is not there.
    if (Places(places) == Places::None)
        QVERIFY(!QFile::exists(f.inProfile("places.sqlite")));
}

void tst_Firefox::firstListedProfileWins_data()
{
    QTest::addColumn<QStringList>("folders"); // created in this order
    QTest::newRow("release, then default") << QStringList{"k9.default-release", "a1.default"};
    QTest::newRow("default, then release") << QStringList{"a1.default", "k9.default-release"};
    QTest::newRow("with a folder that does not match") << QStringList{"Crash Reports", "z.default", "b.default-esr"};
    QTest::newRow("no name contains .default") << QStringList{"Default", "profile.Default"};
}

void tst_Firefox::firstListedProfileWins()
{
    QFETCH(QStringList, folders);
    ModuleFixture<FirefoxController> f("scanFirefox", traces); // no profiles but these
    const QString base = f.home.path(profilesRel);
    for (const QString &name : folders) {
        QVERIFY(mozstores::writeCookies(base + QLatin1Char('/') + name + u"/cookies.sqlite"_s));
        QVERIFY(FakeHome::writeFileAt(f.home.path(cachesRel + QLatin1Char('/') + name + u"/cache2/entry"_s), "c"));
    }
    QString chosen;
    for (const QString &name : FileManager::defaultManager().contentsOfDirectoryAtPath(base)) {
        if (name.contains(QLatin1String(".default"))) {
            chosen = name;
            break;
        }
    }
    const QString profile = chosen.isEmpty() ? QString() : base + QLatin1Char('/') + chosen;
    QCOMPARE(f.module.getFirefoxPath(), profile);
    QCOMPARE(f.module.getFirefoxCachePath(),
             chosen.isEmpty() ? QString() : f.home.path(cachesRel + QLatin1Char('/') + chosen));

    const QList<resultItemPtr> rows = f.scan();
    if (chosen.isEmpty()) {
        QVERIFY(rows.isEmpty());
        return;
    }
    QStringList paths;
    for (const resultItemPtr &row : rows)
        paths.append(row->resultItemPath());
    QCOMPARE(paths,
             (QStringList{f.home.path(cachesRel + QLatin1Char('/') + chosen + u"/cache2"_s),
                          profile + u"/cookies.sqlite"_s}));

    // Cleaning looks the profile up again and touches no other.
    QCOMPARE(f.cleanInPlace(u"Firefox Cookies"_s, profile + u"/cookies.sqlite"_s), true);
    for (const QString &name : folders) {
        const QString cookies = base + QLatin1Char('/') + name + u"/cookies.sqlite"_s;
        QCOMPARE(mozstores::count(cookies, u"SELECT count(*) FROM moz_cookies"_s), name == chosen ? 0 : 1);
    }
}

void tst_Firefox::downloadAnnotationsFoundByName_data()
{
    QTest::addColumn<int>("places");
    QTest::addColumn<QString>("renumber");    // run on the places file before the scan
    QTest::addColumn<QString>("annotations"); // place:content of those left
    QTest::addColumn<QString>("pages");
    QTest::newRow("current places, log not folded back") << int(Places::Current) << QString() << "1:windows-1252"
                                                         << "1,2,4";
    QTest::newRow("legacy places") << int(Places::Legacy) << QString() << "1:windows-1252"
                                   << "1,2,4";
    // The ids as a profile hands them out when it downloaded before it met a character set,
    // that of a page no bookmark keeps among them.
    QTest::newRow("downloads numbered first")
        << int(Places::Current)
        << "DELETE FROM moz_anno_attributes; INSERT INTO moz_anno_attributes VALUES (1, "
           "'downloads/destinationFileURI'), "
           "(2, 'downloads/metaData'), (10, 'URIProperties/characterSet'), (11, 'bookmarkProperties/description'); "
           "UPDATE moz_annos SET anno_attribute_id = CASE anno_attribute_id WHEN 10 THEN 1 WHEN 12 THEN 2 ELSE 10 END; "
           "INSERT INTO moz_places (id, url, title, rev_host, guid) VALUES (5, 'https://unrelated.example/', "
           "'Unrelated', 'elpmaxe.detalernu.', 'placeUnrel05'); "
           "INSERT INTO moz_annos (id, place_id, anno_attribute_id, content) VALUES (4, 5, 10, 'UTF-8');"
        << "1:windows-1252,5:UTF-8"
        << "1,2,4,5";
    // A keyword keeps the downloaded file's page; its download annotations and visit go.
    QTest::newRow("downloaded page kept by a keyword")
        << int(Places::Current)
        << "INSERT INTO moz_keywords (keyword, place_id) VALUES ('report', 3); UPDATE moz_places SET foreign_count = 1 "
           "WHERE id = 3;"
        << "1:windows-1252"
        << "1,2,3,4";
}

void tst_Firefox::downloadAnnotationsFoundByName()
{
    QFETCH(int, places);
    QFETCH(QString, renumber);
    QFETCH(QString, annotations);
    QFETCH(QString, pages);
    Fixture f;
    QVERIFY(f.writePlaces(Places(places)));
    const QString path = f.inProfile("places.sqlite");
    if (!renumber.isEmpty())
        QVERIFY(mozstores::run(path, renumber));
    const QString row = u"Firefox Download History"_s;
    QVERIFY(f.scannedNames().contains(row));

    QCOMPARE(f.cleanInPlace(row, path), true);
    QCOMPARE(mozstores::integrity(path), u"ok"_s);
    QCOMPARE(mozstores::danglingBookmarks(path), 0);
    // The downloaded file's page goes, with its annotations and its download visit; other
    // pages and annotations stay, and other visits stay for the history row.
    QCOMPARE(mozstores::value(
                 path, u"SELECT group_concat(place_id || ':' || content) FROM (SELECT * FROM moz_annos ORDER BY id)"_s),
             annotations);
    QCOMPARE(mozstores::value(path, u"SELECT group_concat(id) FROM (SELECT id FROM moz_places ORDER BY id)"_s), pages);
    QCOMPARE(mozstores::value(path, u"SELECT group_concat(id) FROM moz_historyvisits"_s), QString("1,2,3"));
    QVERIFY(!f.scannedNames().contains(row));
}

// What the history clear leaves, one query each: pages, their history fields, annotations,
// origins, typed input, reading records, searches, sync data of pages and of visits, preview
// tombstones, keywords that point at nothing.
static const char *const historyLeft[] = {
    "SELECT group_concat(id) FROM (SELECT id FROM moz_places ORDER BY id)",
    "SELECT group_concat(id || ':' || visit_count || ':' || ifnull(last_visit_date, '-') || ':' || typed || ':' || "
    "frecency) "
    "FROM (SELECT * FROM moz_places ORDER BY id)",
    "SELECT group_concat(place_id || ':' || content) FROM (SELECT * FROM moz_annos ORDER BY id)",
    "SELECT group_concat(host) FROM (SELECT host FROM moz_origins ORDER BY id)",
    "SELECT group_concat(place_id || ':' || input) FROM (SELECT * FROM moz_inputhistory ORDER BY place_id)",
    "SELECT group_concat(id) FROM (SELECT id FROM moz_places_metadata ORDER BY id)",
    "SELECT group_concat(terms) FROM (SELECT terms FROM moz_places_metadata_search_queries ORDER BY id)",
    "SELECT group_concat(place_id) FROM (SELECT place_id FROM moz_places_extra ORDER BY place_id)",
    "SELECT group_concat(visit_id) FROM moz_historyvisits_extra",
    "SELECT group_concat(hash) FROM moz_previews_tombstones",
    "SELECT count(*) FROM moz_keywords WHERE place_id NOT IN (SELECT id FROM moz_places)",
    "SELECT group_concat(url) FROM moz_favicons",
};

void tst_Firefox::historyTakesWhatOnlyItUsed_data()
{
    QTest::addColumn<int>("places");
    QTest::addColumn<QString>("change");   // run on the places file before the clean
    QTest::addColumn<QStringList>("left"); // one answer per query of historyLeft
    const QString none = u"no table"_s;
    const QString kept = u"1,4"_s;
    const QString reset = u"1:0:-:0:-1,4:0:-:0:-1"_s;
    const QString annotation = u"1:windows-1252"_s;
    const QString origins = u"bookmarked.example,unvisited.example"_s;
    QTest::newRow("current places, log not folded back")
        << int(Places::Current) << QString()
        << QStringList{kept, reset, annotation, origins, "", "", "", "1", "", "", "0", none};
    QTest::newRow("current places without reading records")
        << int(Places::Current) << "DROP TABLE moz_places_metadata; DROP TABLE moz_places_metadata_search_queries;"
        << QStringList{kept, reset, annotation, origins, "", none, none, "1", "", "", "0", none};
    // A keyword is a reference of its own: its page stays, without its history.
    QTest::newRow("page kept by a keyword alone")
        << int(Places::Current)
        << "INSERT INTO moz_places (id, url, title, visit_count, typed, frecency, last_visit_date, foreign_count) "
           "VALUES "
           "(6, 'https://search.example/?q=%s', 'Search', 3, 1, 900, 1700000500000000, 1); "
           "INSERT INTO moz_keywords (keyword, place_id) VALUES ('s', 6); "
           "INSERT INTO moz_historyvisits (place_id, visit_date, visit_type) VALUES (6, 1700000500000000, 2);"
        << QStringList{"1,4,6", reset + u",6:0:-:0:-1"_s, annotation, origins, "", "", "", "1", "", "", "0", none};
    QTest::newRow("legacy places") << int(Places::Legacy) << QString()
                                   << QStringList{kept, reset, annotation, none, "",  none,
                                                  none, none,  none,       none, "0", ""};
    // Files older still count no references: a bookmark keeps its page, nothing else does.
    QTest::newRow("places without reference counts")
        << int(Places::Legacy)
        << "ALTER TABLE moz_places DROP COLUMN foreign_count; "
           "INSERT INTO moz_places (id, url, title) VALUES (7, 'https://typed-only.example/', 'Typed');"
        << QStringList{kept, reset, annotation, none, "", none, none, none, none, none, "0", ""};
}

// Every visit, typed input and reading record goes; pages a bookmark or keyword refers to
// stay without their history, every other page goes with what only it used.
void tst_Firefox::historyTakesWhatOnlyItUsed()
{
    QFETCH(int, places);
    QFETCH(QString, change);
    QFETCH(QStringList, left);
    Fixture f;
    QVERIFY(f.writePlaces(Places(places)));
    const QString path = f.inProfile("places.sqlite");
    if (!change.isEmpty())
        QVERIFY(mozstores::run(path, change));
    const int bookmarks = mozstores::count(path, u"SELECT count(*) FROM moz_bookmarks"_s);
    const int keywords = mozstores::count(path, u"SELECT count(*) FROM moz_keywords"_s);

    QCOMPARE(f.cleanInPlace(u"Firefox Browsing History"_s, path), true);
    QCOMPARE(mozstores::integrity(path), u"ok"_s);
    QCOMPARE(mozstores::count(path, u"SELECT count(*) FROM moz_historyvisits"_s), 0);
    QCOMPARE(mozstores::count(path, u"SELECT count(*) FROM moz_bookmarks"_s), bookmarks);
    QCOMPARE(mozstores::count(path, u"SELECT count(*) FROM moz_keywords"_s), keywords);
    QCOMPARE(mozstores::danglingBookmarks(path), 0);
    QStringList found;
    for (const char *query : historyLeft)
        found << mozstores::value(path, QLatin1String(query)).value_or(u"no table"_s);
    QCOMPARE(found, left);
    QVERIFY(!f.scannedNames().contains(u"Firefox Browsing History"_s));
}

void tst_Firefox::secureRemovalLeavesNoCleanedRowReadable_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("places");
    QTest::addColumn<QString>("store");
    QTest::addColumn<QByteArrayList>("gone");
    QTest::addColumn<QString>("kept"); // a count that must stay 1

    const QString bookmark = u"SELECT count(*) FROM moz_places WHERE id = 1"_s;
    const QByteArrayList visited{"visited-secret.example/history", "History-secret title",
                                 "files-secret.example/report.pdf"};
    const QByteArrayList downloaded{"files-secret.example/report.pdf", "download-secret.pdf", "meta-secret"};
    QTest::newRow("history, rows in the log only")
        << "Firefox Browsing History" << int(Places::Current) << "places.sqlite"
        << visited + QByteArrayList{"origin-secret.example", "typed-secret input", "search-secret terms",
                                    "extra-secret",          "visit-extra-secret", "preview-secret-hash"}
        << bookmark;
    QTest::newRow("download history, rows in the log only")
        << "Firefox Download History" << int(Places::Current) << "places.sqlite" << downloaded << bookmark;
    QTest::newRow("legacy history") << "Firefox Browsing History" << int(Places::Legacy) << "places.sqlite" << visited
                                    << bookmark;
    QTest::newRow("legacy typed hosts") << "Firefox URL Autocomplete History" << int(Places::Legacy) << "places.sqlite"
                                        << QByteArrayList{"visited-secret-host.example"} << bookmark;
    QTest::newRow("legacy icons") << "Firefox Webpage Icons" << int(Places::Legacy) << "places.sqlite"
                                  << QByteArrayList{"favicon-secret.ico"} << bookmark;
    QTest::newRow("cookies") << "Firefox Cookies" << int(Places::None) << "cookies.sqlite"
                             << QByteArrayList{"cookie-secret-value", "tracker-secret.example"} << QString();
    QTest::newRow("form values") << "Firefox Form Values" << int(Places::None) << "formhistory.sqlite"
                                 << QByteArrayList{"form-secret@example.org"}
                                 << "SELECT count(*) FROM moz_formhistory WHERE fieldname = 'searchbar-history'";
    QTest::newRow("recent searches") << "Firefox Recent Searches" << int(Places::None) << "formhistory.sqlite"
                                     << QByteArrayList{"searchbar-secret-query"}
                                     << "SELECT count(*) FROM moz_formhistory WHERE fieldname = 'email'";
    QTest::newRow("legacy downloads") << "Firefox Legacy Download History" << int(Places::None) << "downloads.sqlite"
                                      << QByteArrayList{"legacy-secret.zip"} << QString();
}

void tst_Firefox::secureRemovalLeavesNoCleanedRowReadable()
{
    QFETCH(QString, item);
    QFETCH(int, places);
    QFETCH(QString, store);
    QFETCH(QByteArrayList, gone);
    QFETCH(QString, kept);
    Fixture f;
    QVERIFY(f.writePlaces(Places(places)));
    QVERIFY(mozstores::writeCookies(f.inProfile("cookies.sqlite")));
    QVERIFY(mozstores::writeFormHistory(f.inProfile("formhistory.sqlite"), true, true));
    QVERIFY(mozstores::writeDownloads(f.inProfile("downloads.sqlite")));
    const QString path = f.inProfile(qPrintable(store));
    // The rows can be read before: in the log alone where the browser left them there.
    for (const QByteArray &marker : gone) {
        const QStringList where = mozstores::filesShowing(path, marker);
        QVERIFY2(!where.isEmpty(), marker.constData());
        if (Places(places) == Places::Current)
            QCOMPARE(where, QStringList{u"places.sqlite-wal"_s});
    }

    UserDefaults::standardUserDefaults().setBool(true, u"enableSecureDelete"_s);
    QCOMPARE(f.cleanInPlace(item, path), true);
    // The side files are left as SQLite leaves them after a clean close: none.
    for (const QString &suffix : {u"-wal"_s, u"-shm"_s, u"-journal"_s})
        QVERIFY2(!QFile::exists(path + suffix), qPrintable(suffix));
    for (const QByteArray &marker : gone)
        QVERIFY2(mozstores::filesShowing(path, marker).isEmpty(), marker.constData());
    QCOMPARE(mozstores::integrity(path), u"ok"_s);
    if (!kept.isEmpty())
        QCOMPARE(mozstores::count(path, kept), 1);
}

void tst_Firefox::linkedStoreIsNeitherOfferedNorCleaned()
{
    Fixture f;
    const QString elsewhere = f.home.path(u"Documents/keep.sqlite"_s);
    QVERIFY(mozstores::writeCookies(elsewhere));
    const QString link = f.inProfile("cookies.sqlite");
    QVERIFY(QFile::link(elsewhere, link));
    QVERIFY(f.scannedNames().isEmpty());
    QCOMPARE(f.cleanInPlace(u"Firefox Cookies"_s, link), false);
    QCOMPARE(mozstores::count(elsewhere, u"SELECT count(*) FROM moz_cookies"_s), 1);
    QVERIFY(QFileInfo(link).isSymLink());
}

void tst_Firefox::everyRequestAnsweredOnce_data()
{
    QTest::addColumn<QString>("gone"); // after the scan: "", "all" or "scanned" profile
    QTest::newRow("profile in place") << QString();
    QTest::newRow("profile moved away after the scan") << u"all"_s;
    QTest::newRow("scanned profile removed, the other one found now") << u"scanned"_s;
}

// Every file below a folder with its bytes.
static QMap<QString, QByteArray> contentsBelow(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(file.fileName(), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable"));
    }
    return files;
}

void tst_Firefox::everyRequestAnsweredOnce()
{
    QFETCH(QString, gone);
    Fixture f;
    std::swap(f.profile, f.other);
    QVERIFY(f.writeEveryTrace()); // the profile the browser does not use holds traces too
    std::swap(f.profile, f.other);
    QVERIFY(f.writeEveryTrace());
    const QMap<QString, QByteArray> otherBefore = contentsBelow(f.other);
    const QList<resultItemPtr> rows = f.scan();
    if (gone == QLatin1String("all")) {
        // Both profiles go, and the cache profile: no name holds ".default" any more.
        int n = 0;
        for (const QString &folder : {f.profile, f.other, f.cache})
            QVERIFY(QDir().rename(folder, QFileInfo(folder).path() + u"/moved"_s + QString::number(++n)));
    } else if (gone == QLatin1String("scanned")) {
        QVERIFY(QDir(f.profile).removeRecursively());
    }
    QCOMPARE(rows.size(), f.table.size());
    QStringList expected = f.expectedAnswers(rows, gone == QLatin1String("all"));
    if (gone == QLatin1String("scanned")) {
        // Only the rows in the removed profile fail; they touch nothing in the other one.
        const QStringList failed = f.expectedAnswers(rows, true);
        for (int i = 0; i < expected.size(); ++i) {
            if (traces.at(i).base == 'P')
                expected[i] = failed.at(i);
        }
    }
    // Web storage keeps its folder, with the extensions' entries in it.
    if (gone.isEmpty())
        expected[traces.size() - 1].replace(u"|gone"_s, u"|present"_s);
    QCOMPARE(f.answersToEachRow(rows), expected);
    if (gone != QLatin1String("all"))
        QVERIFY(contentsBelow(f.other) == otherBefore);
    if (!gone.isEmpty()) {
        QVERIFY(!QFile::exists(f.profile)); // nothing was made where the profile used to be
        return;
    }
    for (const char *store : {"places.sqlite", "cookies.sqlite", "downloads.sqlite", "formhistory.sqlite"})
        QCOMPARE(mozstores::integrity(f.inProfile(store)), u"ok"_s);
    // The four places rows ran one after the other on the file, which stays with every
    // bookmark, its page and the page's own annotation.
    const QString places = f.inProfile("places.sqlite");
    for (const char *table : {"moz_historyvisits", "moz_hosts", "moz_favicons"})
        QCOMPARE(mozstores::count(places, u"SELECT count(*) FROM "_s + QLatin1String(table)), 0);
    QCOMPARE(mozstores::value(places, u"SELECT group_concat(place_id || ':' || content) FROM moz_annos"_s),
             QString("1:windows-1252"));
    QCOMPARE(mozstores::count(places, u"SELECT count(*) FROM moz_bookmarks"_s), 6);
    QCOMPARE(mozstores::danglingBookmarks(places), 0);
    QCOMPARE(mozstores::value(places, u"SELECT group_concat(id) FROM moz_places"_s), QString("1,4"));
    QVERIFY(f.scannedNames().isEmpty());
}

// profiles.ini as a Firefox upgraded since it has had installs writes it: the old profile
// still marked Default=1, the install's own default the newer one.
const char *const upgradedIni =
    "[Install4F96D1932A9F858E]\nDefault=Profiles/r4nd0m.default-release\nLocked=1\n\n"
    "[Profile1]\nName=default\nIsRelative=1\nPath=Profiles/0ld1.default\nDefault=1\n\n"
    "[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/r4nd0m.default-release\n\n"
    "[General]\nStartWithLastProfile=1\nVersion=2\n";

void tst_Firefox::profilesIniChoosesTheProfile_data()
{
    QTest::addColumn<QByteArray>("ini");       // %HOME% stands for the home folder
    QTest::addColumn<QString>("form");         // how profiles.ini lies: "file", "link", "pipe"
    QTest::addColumn<QString>("expected");     // "release", "old", "elsewhere", "folder rule" or none
    QTest::addColumn<bool>("switchAfterScan"); // profiles.ini chooses the other profile once scanned
    const QByteArray upgraded(upgradedIni);
    const QByteArray release = "[Profile0]\nName=default-release\nIsRelative=1\nPath=Profiles/r4nd0m.default-release\n";
    const QByteArray old = "[Profile1]\nName=default\nIsRelative=1\nPath=Profiles/0ld1.default\n";
    QTest::newRow("install default over Default=1") << upgraded << "file"
                                                    << "release" << false;
    QTest::newRow("written with CRLF") << QByteArray(upgraded).replace("\n", "\r\n") << "file"
                                       << "release" << false;
    QTest::newRow("Default=1 without installs") << release + old + "Default=1\n"
                                                << "file"
                                                << "old" << false;
    QTest::newRow("the only profile") << release << "file"
                                      << "release" << false;
    QTest::newRow("absolute path") << QByteArray(
        "[Profile0]\nName=moved\nIsRelative=0\nPath=%HOME%/Elsewhere/m0v3d.default\nDefault=1\n")
                                   << "file"
                                   << "elsewhere" << false;
    QTest::newRow("several profiles, none chosen") << release + old << "file"
                                                   << "" << false;
    QTest::newRow("relative path climbing out") << QByteArray(
        "[Profile0]\nName=x\nIsRelative=1\nPath=Profiles/../../../../Elsewhere/m0v3d.default\nDefault=1\n")
                                                << "file"
                                                << "" << false;
    QTest::newRow("profile folder a link out of Profiles")
        << QByteArray("[Profile0]\nName=x\nIsRelative=1\nPath=Profiles/l1nk.default\nDefault=1\n") << "file"
        << "" << false;
    QTest::newRow("profiles.ini a link") << upgraded << "link"
                                         << "folder rule" << false;
    QTest::newRow("profiles.ini a pipe") << upgraded << "pipe"
                                         << "folder rule" << false;
    QTest::newRow("profiles.ini far too large") << upgraded + QByteArray(300 * 1024, '#') << "file"
                                                << "folder rule" << false;
    QTest::newRow("profile switched since the scan") << upgraded << "file"
                                                     << "release" << true;
}

// Firefox starts with the profile profiles.ini chooses; every row goes there, and every other
// profile is left byte for byte.
void tst_Firefox::profilesIniChoosesTheProfile()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, form);
    QFETCH(QString, expected);
    QFETCH(bool, switchAfterScan);
    ModuleFixture<FirefoxController> f("scanFirefox", traces);
    const QString base = f.home.path(profilesRel);
    const QString data = f.home.path(u"Library/Application Support/Firefox"_s);
    const QString elsewhere = f.home.path(u"Elsewhere/m0v3d.default"_s);
    // The old profile is named so that the folder rule would take it: only the file's choice
    // can then find the newer one.
    QVERIFY(mozstores::writeCookies(base + u"/r4nd0m.default-release/cookies.sqlite"_s));
    QString oldName;
    for (int n = 1; n < 64 && !Fixture::firstListed(base).endsWith(oldName + u".default"_s); ++n) {
        if (!oldName.isEmpty())
            QVERIFY(QDir(base + QLatin1Char('/') + oldName + u".default"_s).removeRecursively());
        oldName = u"0ld"_s + QString::number(n);
        QVERIFY(mozstores::writeCookies(base + QLatin1Char('/') + oldName + u".default/cookies.sqlite"_s));
    }
    QVERIFY(Fixture::firstListed(base).endsWith(oldName + u".default"_s));
    ini.replace("0ld1", oldName.toLatin1());
    const QString oldProfile = base + QLatin1Char('/') + oldName + u".default"_s;
    const QStringList profiles{oldProfile, base + u"/r4nd0m.default-release"_s, elsewhere};
    QVERIFY(mozstores::writeCookies(elsewhere + u"/cookies.sqlite"_s));
    for (const QString &name : {oldName + u".default"_s, u"r4nd0m.default-release"_s})
        QVERIFY(f.home.makeDir(cachesRel + QLatin1Char('/') + name + u"/cache2"_s));
    if (ini.contains("l1nk"))
        QVERIFY(QFile::link(elsewhere, base + u"/l1nk.default"_s));
    ini.replace("%HOME%", QFile::encodeName(f.home.path(QString())));
    const QString iniPath = data + u"/profiles.ini"_s;
    if (form == QLatin1String("link")) {
        QVERIFY(FakeHome::writeFileAt(f.home.path(u"Elsewhere/profiles.ini"_s), ini));
        QVERIFY(QFile::link(f.home.path(u"Elsewhere/profiles.ini"_s), iniPath));
    } else if (form == QLatin1String("pipe")) {
        QCOMPARE(::mkfifo(QFile::encodeName(iniPath).constData(), 0600), 0);
    } else {
        QVERIFY(FakeHome::writeFileAt(iniPath, ini));
    }

    QString profile;
    if (expected == QLatin1String("release") || expected == QLatin1String("old"))
        profile = expected == QLatin1String("old") ? oldProfile : base + u"/r4nd0m.default-release"_s;
    else if (expected == QLatin1String("elsewhere"))
        profile = elsewhere;
    else if (expected == QLatin1String("folder rule"))
        profile = Fixture::firstListed(base);
    QCOMPARE(f.module.getFirefoxPath(), profile);
    // The cache profile has the same relative path in Caches; an absolute profile keeps its cache inside.
    const QString cache =
        profile.isEmpty() || profile == elsewhere ? profile : f.home.path(cachesRel) + profile.mid(base.size());
    QCOMPARE(f.module.getFirefoxCachePath(), cache);

    const QStringList names = f.scannedNames();
    QCOMPARE(names.contains(u"Firefox Cookies"_s), !profile.isEmpty());
    if (profile.isEmpty())
        return;
    QMap<QString, QMap<QString, QByteArray>> before;
    for (const QString &other : profiles)
        before.insert(other, contentsBelow(other));
    if (switchAfterScan)
        QVERIFY(FakeHome::writeFileAt(iniPath,
                                      QByteArray(ini).replace("Default=Profiles/r4nd0m.default-release",
                                                              "Default=Profiles/" + oldName.toLatin1() + ".default")));
    // A row cleans only the profile it scanned.
    QCOMPARE(f.cleanInPlace(u"Firefox Cookies"_s, profile + u"/cookies.sqlite"_s), !switchAfterScan);
    for (const QString &other : profiles) {
        if (other == profile && !switchAfterScan)
            QCOMPARE(mozstores::count(other + u"/cookies.sqlite"_s, u"SELECT count(*) FROM moz_cookies"_s), 0);
        else
            QVERIFY2(contentsBelow(other) == before.value(other), qPrintable(other));
    }
}

void tst_Firefox::webStorageKeepsExtensions_data()
{
    QTest::addColumn<QStringList>("entries"); // folders directly inside storage/default
    QTest::addColumn<bool>("offered");
    const QString extension = u"moz-extension+++0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"_s;
    const QString privateExtension = u"moz-extension+++0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0^userContextId=4294967295"_s;
    const QString site = u"https+++www.site-secret.example"_s;
    const QString otherSite = u"https+++tracker-secret.example^partitionKey=%28https%2Csite.example%29"_s;
    QTest::newRow("sites and extensions") << QStringList{extension, site, privateExtension, otherSite} << true;
    QTest::newRow("sites only") << QStringList{site, otherSite} << true;
    QTest::newRow("extensions only") << QStringList{extension, privateExtension} << false;
}

// The sites' storage goes; every extension's (its settings, its vaults) stays as it was, and
// without a site's entry the row is not offered.
void tst_Firefox::webStorageKeepsExtensions()
{
    QFETCH(QStringList, entries);
    QFETCH(bool, offered);
    Fixture f;
    const QString storage = f.inProfile("storage/default");
    for (const QString &entry : entries) {
        QVERIFY(FakeHome::writeFileAt(storage + QLatin1Char('/') + entry + u"/.metadata-v2"_s, "meta"));
        QVERIFY(mozstores::run(storage + QLatin1Char('/') + entry + u"/ls/data.sqlite"_s,
                               u"CREATE TABLE data (key TEXT PRIMARY KEY, value BLOB);"
                               u"INSERT INTO data VALUES ('k', 'stored by "_s
                                   + entry + u"');"_s));
    }
    const QMap<QString, QByteArray> before = contentsBelow(storage);
    const QString row = u"Firefox Web Storage"_s;
    QCOMPARE(f.scannedNames().contains(row), offered);
    if (!offered)
        return;

    const QList<CleaningRecorder::Event> events = f.clean(row, storage);
    QCOMPARE(events.size(), 1);
    QCOMPARE(events.first().name, CleaningRecorder::removal);
    QStringList kept;
    for (const QString &entry : entries) {
        if (entry.startsWith(u"moz-extension+++"_s))
            kept << entry;
    }
    QCOMPARE(QDir(storage).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name), kept);
    QMap<QString, QByteArray> keptBefore;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (it.key().mid(storage.size() + 1).startsWith(u"moz-extension+++"_s))
            keptBefore.insert(it.key(), it.value());
    }
    QVERIFY(contentsBelow(storage) == keptBefore);
    QCOMPARE(f.scannedNames().contains(row), false);
}

QTEST_MAIN(tst_Firefox)
#include "tst_firefox.moc"
