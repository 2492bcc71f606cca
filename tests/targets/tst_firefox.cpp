#include "ModuleFixture.h"
#include "MozillaStores.h"

#include "platform/FileManager.h"
#include "targets/firefox/FirefoxController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::UserDefaults;

namespace {

// Firefox's rows as the user sees them, in offer order.
const QList<TraceSpec> traces = {
    {"Firefox Browsing History", "firefoxBrowsing", 'P', "places.sqlite", "Sqlite"},
    {"Firefox URL Autocomplete History", "firefoxBrowsing", 'P', "places.sqlite", "Sqlite"},
    {"Firefox Cache", "firefoxCache", 'C', "Cache", "Dir"},
    {"Firefox Cache2", "firefoxCache", 'C', "cache2", "Dir"},
    {"Firefox Offline Cache", "firefoxCache", 'C', "OfflineCache", "Dir"},
    {"Firefox Cache Thumbnails", "firefoxCache", 'C', "thumbnails", "Dir"},
    {"Firefox Cookies", "firefoxCookies", 'P', "cookies.sqlite", "Sqlite"},
    {"Firefox Legacy Download History", "firefoxDownloads", 'P', "downloads.sqlite", "Sqlite"},
    {"Firefox Download History", "firefoxDownloads", 'P', "places.sqlite", "Sqlite"},
    {"Firefox Form Values", "firefoxForms", 'P', "formhistory.sqlite", "Sqlite"},
    {"Firefox Last Session Information", "firefoxLastSession", 'P', "sessionstore.jsonlz4", "File"},
    {"Firefox Legacy Last Session Information", "firefoxLastSession", 'P', "sessionstore.js", "File"},
    {"Firefox Last Session Information Backup", "firefoxLastSession", 'P', "sessionstore-backups", "Dir"},
    {"Firefox Legacy Last Session Information Backup", "firefoxLastSession", 'P', "sessionstore.bak", "File"},
    {"Firefox Open Windows", "firefoxLastSession", 'H', "Library/Saved Application State/org.mozilla.firefox.savedState", "Dir"},
    {"Firefox Recent Searches", "firefoxRecentSearches", 'P', "formhistory.sqlite", "Sqlite"},
    {"Firefox Webpage Icons", "firefoxWebpageIcons", 'P', "places.sqlite", "Sqlite"},
    {"Firefox Webpage Icons Database", "firefoxWebpageIcons", 'P', "favicons.sqlite", "File"},
    {"Firefox DOM Storage", "firefoxDOM", 'P', "webappsstore.sqlite", "File"},
    {"Firefox Web Storage", "firefoxDOM", 'P', "storage/default", "Dir"},
};

const QString profilesRel = u"Library/Application Support/Firefox/Profiles"_s;
const QString cachesRel = u"Library/Caches/Firefox/Profiles"_s;

QStringList allKeys()
{
    return switchKeys("scanFirefox", traces);
}

// The places.sqlite a test starts from.
enum class Places { None, Current, Legacy, LegacyUnvisited, LegacyVisitsOnlyBookmarked, Garbage };

struct Fixture : ModuleFixture<FirefoxController> {
    // Two profiles, as a profiles folder usually holds them; the browser's own choice is
    // the one the folder lists first.
    QString other;

    Fixture()
        : ModuleFixture("scanFirefox", traces)
    {
        for (const char *name : {"r4nd0m.default-release", "0ld1.default"})
            home.makeDir(profilesRel + QLatin1Char('/') + QLatin1String(name));
        home.makeDir(cachesRel + u"/r4nd0m.default-release"_s);
        profile = firstListed(home.path(profilesRel));
        other = profile.endsWith(QLatin1String("default")) ? home.path(profilesRel + u"/r4nd0m.default-release"_s)
                                                           : home.path(profilesRel + u"/0ld1.default"_s);
        cache = firstListed(home.path(cachesRel));
    }

    static QString firstListed(const QString &folder)
    {
        for (const QString &name : FileManager::defaultManager().contentsOfDirectoryAtPath(folder)) {
            if (name.contains(QLatin1String(".default")))
                return folder + QLatin1Char('/') + name;
        }
        return {};
    }

    QString inProfile(const char *name) const { return profile + QLatin1Char('/') + QLatin1String(name); }

    bool writePlaces(Places kind)
    {
        const QString places = inProfile("places.sqlite");
        using namespace mozstores;
        switch (kind) {
        case Places::None: return true;
        case Places::Current: return writeCurrentPlaces(places, home.path(u"staging/places.sqlite"_s));
        case Places::Legacy: return writeLegacyPlaces(places);
        case Places::LegacyUnvisited:
            return run(places, QString::fromLatin1(legacyPlacesSchema) + QString::fromLatin1(bookmarkRows)
                                   + u"DELETE FROM moz_historyvisits;"_s);
        case Places::LegacyVisitsOnlyBookmarked:
            return run(places, QString::fromLatin1(legacyPlacesSchema) + QString::fromLatin1(bookmarkRows));
        case Places::Garbage: return FakeHome::writeFileAt(places, QByteArray(3000, 'g'));
        }
        return false;
    }

    // Every trace of the table, with a legacy places file so that all four places rows count.
    bool writeEveryTrace()
    {
        return writePlaces(Places::Legacy)
               && mozstores::writeCookies(inProfile("cookies.sqlite"))
               && mozstores::writeDownloads(inProfile("downloads.sqlite"))
               && mozstores::writeFormHistory(inProfile("formhistory.sqlite"), true, true)
               && writeMissingTraces();
    }
};

} // namespace

class tst_Firefox : public QObject
{
    Q_OBJECT
private slots:
    void offersEveryRowInOrder_data();
    void offersEveryRowInOrder();
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
};

void tst_Firefox::offersEveryRowInOrder_data()
{
    addKeysOffRows(allKeys());
}

void tst_Firefox::offersEveryRowInOrder()
{
    QFETCH(QStringList, keysOff);
    Fixture f;
    QVERIFY(f.writeEveryTrace());
    f.setSwitches(keysOff, false);
    QCOMPARE(f.offeredRows(), f.tableRows(keysOff));
}

void tst_Firefox::countRules_data()
{
    QTest::addColumn<int>("places");
    QTest::addColumn<QByteArray>("downloads"); // "rows", "no table", "garbage" or empty (none)
    QTest::addColumn<QString>("forms");         // "forms", "search", "both" or empty (none)
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
    QTest::newRow("places without visits") << int(Places::LegacyUnvisited) << QByteArray() << QString()
                                           << QStringList{iconsDb};
    QTest::newRow("visits, empty hosts and icons") << int(Places::LegacyVisitsOnlyBookmarked) << QByteArray()
                                                   << QString() << QStringList{history, iconsDb};
    QTest::newRow("places not a database") << int(Places::Garbage) << QByteArray() << QString() << QStringList{iconsDb};
    QTest::newRow("no places") << int(Places::None) << QByteArray() << QString() << QStringList{iconsDb};
    QTest::newRow("legacy downloads") << int(Places::Current) << QByteArray("rows") << QString()
                                      << QStringList{history, legacyDownloads, downloads, iconsDb};
    // A failed count of the legacy downloads ends its collector before places is counted.
    QTest::newRow("downloads without its table") << int(Places::Legacy) << QByteArray("no table") << QString()
                                                 << QStringList{history, hosts, icons, iconsDb};
    QTest::newRow("downloads not a database") << int(Places::Legacy) << QByteArray("garbage") << QString()
                                              << QStringList{history, hosts, icons, iconsDb};
    QTest::newRow("search-bar entries only") << int(Places::None) << QByteArray() << u"search"_s
                                             << QStringList{searches, iconsDb};
    QTest::newRow("form entries only") << int(Places::None) << QByteArray() << u"forms"_s
                                       << QStringList{formValues, iconsDb};
    QTest::newRow("both kinds of entries") << int(Places::None) << QByteArray() << u"both"_s
                                           << QStringList{formValues, searches, iconsDb};
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
        return QList<std::optional<QByteArray>>{fm.contentsAtPath(placesPath), fm.contentsAtPath(placesPath + u"-wal"_s)};
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
    QCOMPARE(f.module.getFirefoxCachePath(), chosen.isEmpty() ? QString() : f.home.path(cachesRel + QLatin1Char('/') + chosen));

    const QList<resultItemPtr> rows = f.scan();
    if (chosen.isEmpty()) {
        QVERIFY(rows.isEmpty());
        return;
    }
    QStringList paths;
    for (const resultItemPtr &row : rows)
        paths.append(row->resultItemPath());
    QCOMPARE(paths, (QStringList{f.home.path(cachesRel + QLatin1Char('/') + chosen + u"/cache2"_s),
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
    QTest::addColumn<QString>("renumber"); // run on the places file before the scan
    QTest::addColumn<QString>("annotations"); // place:content of those left
    QTest::addColumn<QString>("pages");
    QTest::newRow("current places, log not folded back") << int(Places::Current) << QString()
                                                         << "1:windows-1252" << "1,2,4";
    QTest::newRow("legacy places") << int(Places::Legacy) << QString() << "1:windows-1252" << "1,2,4";
    // The ids as a profile hands them out when it downloaded before it met a character set,
    // that of a page no bookmark keeps among them.
    QTest::newRow("downloads numbered first")
        << int(Places::Current)
        << "DELETE FROM moz_anno_attributes; INSERT INTO moz_anno_attributes VALUES (1, 'downloads/destinationFileURI'), "
           "(2, 'downloads/metaData'), (10, 'URIProperties/characterSet'), (11, 'bookmarkProperties/description'); "
           "UPDATE moz_annos SET anno_attribute_id = CASE anno_attribute_id WHEN 10 THEN 1 WHEN 12 THEN 2 ELSE 10 END; "
           "INSERT INTO moz_places (id, url, title, rev_host, guid) VALUES (5, 'https://unrelated.example/', 'Unrelated', 'elpmaxe.detalernu.', 'placeUnrel05'); "
           "INSERT INTO moz_annos (id, place_id, anno_attribute_id, content) VALUES (4, 5, 10, 'UTF-8');"
        << "1:windows-1252,5:UTF-8" << "1,2,4,5";
    // A keyword keeps the downloaded file's page; its download annotations and visit go.
    QTest::newRow("downloaded page kept by a keyword")
        << int(Places::Current)
        << "INSERT INTO moz_keywords (keyword, place_id) VALUES ('report', 3); UPDATE moz_places SET foreign_count = 1 WHERE id = 3;"
        << "1:windows-1252" << "1,2,3,4";
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
    QCOMPARE(mozstores::value(path, u"SELECT group_concat(place_id || ':' || content) FROM (SELECT * FROM moz_annos ORDER BY id)"_s), annotations);
    QCOMPARE(mozstores::value(path, u"SELECT group_concat(id) FROM (SELECT id FROM moz_places ORDER BY id)"_s), pages);
    QCOMPARE(mozstores::value(path, u"SELECT group_concat(id) FROM moz_historyvisits"_s), QString("1,2,3"));
    QVERIFY(!f.scannedNames().contains(row));
}

// What the history clear leaves, one query each: pages, their history fields, annotations,
// origins, typed input, reading records, searches, sync data of pages and of visits, preview
// tombstones, keywords that point at nothing.
static const char *const historyLeft[] = {
    "SELECT group_concat(id) FROM (SELECT id FROM moz_places ORDER BY id)",
    "SELECT group_concat(id || ':' || visit_count || ':' || ifnull(last_visit_date, '-') || ':' || typed || ':' || frecency) "
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
    QTest::addColumn<QString>("change"); // run on the places file before the clean
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
        << "INSERT INTO moz_places (id, url, title, visit_count, typed, frecency, last_visit_date, foreign_count) VALUES "
           "(6, 'https://search.example/?q=%s', 'Search', 3, 1, 900, 1700000500000000, 1); "
           "INSERT INTO moz_keywords (keyword, place_id) VALUES ('s', 6); "
           "INSERT INTO moz_historyvisits (place_id, visit_date, visit_type) VALUES (6, 1700000500000000, 2);"
        << QStringList{"1,4,6", reset + u",6:0:-:0:-1"_s, annotation, origins, "", "", "", "1", "", "", "0", none};
    QTest::newRow("legacy places")
        << int(Places::Legacy) << QString()
        << QStringList{kept, reset, annotation, none, "", none, none, none, none, none, "0", ""};
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
    const QByteArrayList visited{"visited-secret.example/history", "History-secret title", "files-secret.example/report.pdf"};
    const QByteArrayList downloaded{"files-secret.example/report.pdf", "download-secret.pdf", "meta-secret"};
    QTest::newRow("history, rows in the log only") << "Firefox Browsing History" << int(Places::Current) << "places.sqlite"
                                                   << visited + QByteArrayList{"origin-secret.example", "typed-secret input", "search-secret terms",
                                                                               "extra-secret", "visit-extra-secret", "preview-secret-hash"}
                                                   << bookmark;
    QTest::newRow("download history, rows in the log only") << "Firefox Download History" << int(Places::Current) << "places.sqlite" << downloaded << bookmark;
    QTest::newRow("legacy history") << "Firefox Browsing History" << int(Places::Legacy) << "places.sqlite" << visited << bookmark;
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

QTEST_MAIN(tst_Firefox)
#include "tst_firefox.moc"
