#include "ChromiumModules.h"

#include "core/Keys.h"
#include "core/PrefsPaneHost.h"
#include "platform/files/FileManager.h"
#include "targets/base/MasterPrefsViewController.h"

#include <QCheckBox>

using namespace Qt::StringLiterals;

using namespace chromiummodules;
using platform::FileManager;
using platform::UserDefaults;

namespace {

QByteArray bytesOf(const QString &path)
{
    return FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray());
}

class PaneShelf : public PrefsPaneHost
{
public:
    void addItemWithInfo(const QVariantMap &info) override
    {
        ident = info.value(keys::Ident).toString();
        pane.reset(qobject_cast<MasterPrefsViewController *>(info.value(keys::VController).value<QObject *>()));
    }
    void observeValueForKeyPath(const QString &, int, const QVariant &, const QVariant &) override {}

    QString ident;
    std::unique_ptr<MasterPrefsViewController> pane;
};

// What the rows that clear more than one table empty in the stores the browsers write: the
// whole history, as the browser's own "clear history" does (meta, the search terms, the
// segments' names and the downloads stay for their own rows), and the download list with
// its slices. In name order.
const QMap<QString, QStringList> emptiedTables = {
    {u"Browsing History"_s,
     {u"cluster_keywords"_s, u"cluster_visit_duplicates"_s, u"clusters"_s, u"clusters_and_visits"_s,
      u"content_annotations"_s, u"context_annotations"_s, u"history_sync_metadata"_s, u"journey_continuation_queries"_s,
      u"journey_history_entries"_s, u"journey_sync_metadata"_s, u"journeys"_s, u"segment_usage"_s, u"urls"_s,
      u"visit_source"_s, u"visited_links"_s, u"visits"_s}},
    {u"Archived Browsing History"_s, {u"urls"_s, u"visits"_s}},
    {u"Download History"_s, {u"downloads"_s, u"downloads_slices"_s}},
};

} // namespace

class tst_ChromiumModules : public QObject
{
    Q_OBJECT
private slots:
    void scanGivesEveryRowInOrder_data();
    void scanGivesEveryRowInOrder();
    void switchingKeyOffRemovesItsRows_data();
    void switchingKeyOffRemovesItsRows();
    void cleaningEveryRow_data();
    void cleaningEveryRow();
    void browsingHistoryOfAnOlderSchema();
    void formValuesKeepTheRestOfWebData_data();
    void formValuesKeepTheRestOfWebData();
    void paneRegistersItsDefaults_data();
    void paneRegistersItsDefaults();
    void chromeAndChromiumStayApart();
    void storesBehindLinkedFolders_data();
    void storesBehindLinkedFolders();
};

void tst_ChromiumModules::scanGivesEveryRowInOrder_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("scanKey");
    QTest::newRow("Chrome") << "Chrome"
                            << "scanChrome";
    QTest::newRow("Chromium") << "Chromium"
                              << "scanChromium";
    QTest::newRow("Opera") << "Opera"
                           << "scanOpera";
    QTest::newRow("Flock") << "Flock"
                           << "scanFlock";
}

void tst_ChromiumModules::scanGivesEveryRowInOrder()
{
    QFETCH(QString, app);
    QFETCH(QString, scanKey);
    Fixture f(named(app));
    QVERIFY(f.writeEveryTrace());
    QCOMPARE(f.offeredRows(), f.tableRows());
    for (const resultItemPtr &row : f.scan()) {
        QCOMPARE(row->resultItemAppName(), app);
        QCOMPARE(row->resultItemIdentifier(), f.browser.identifier);
    }
    QCOMPARE(f.module.scanString(), scanKey);
    UserDefaults::standardUserDefaults().setBool(false, scanKey);
    QVERIFY(!f.module.checkTarget());
}

void tst_ChromiumModules::switchingKeyOffRemovesItsRows_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("keyOff");
    for (const Browser &m : all()) {
        for (const QString &key : m.keys())
            QTest::addRow("%s", qPrintable(key)) << m.app << key;
    }
}

void tst_ChromiumModules::switchingKeyOffRemovesItsRows()
{
    QFETCH(QString, app);
    QFETCH(QString, keyOff);
    Fixture f(named(app));
    QVERIFY(f.writeEveryTrace());
    f.setSwitches({keyOff}, false);
    QCOMPARE(f.offeredRows(), f.tableRows({keyOff}));
}

void tst_ChromiumModules::cleaningEveryRow_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<int>("row");
    for (const Browser &m : all()) {
        for (int i = 0; i < m.traces.size(); ++i)
            QTest::addRow("%s", m.traces.at(i).name) << m.app << i;
    }
}

// Every row cleans exactly its own trace: a statement empties one table of History and
// leaves the file sound; a move sets one item aside; the browser's settings stay.
void tst_ChromiumModules::cleaningEveryRow()
{
    QFETCH(QString, app);
    QFETCH(int, row);
    Fixture f(named(app));
    QVERIFY(f.writeEveryTrace());
    const TraceSpec t = f.table.at(row);
    const QString name = QLatin1String(t.name), kind = QLatin1String(t.kind);
    const QString path = f.pathOf(t);
    const QStringList keptFiles = {f.inProfile(u"Preferences"_s), f.inProfile(u"Bookmarks"_s),
                                   f.inProfile(u"Login Data"_s)};
    QList<QByteArray> keptBytes;
    for (const QString &file : keptFiles)
        keptBytes.append(bytesOf(file));
    const QStringList tablesBefore = chromiumprofiles::tableCounts(path);
    // The most-visited list goes with the whole history only.
    const QString topSites = f.inProfile(u"Top Sites"_s);
    const QByteArray topSitesBefore = bytesOf(topSites);
    QVERIFY(chromiumprofiles::tableCounts(topSites).contains(u"top_sites=2"_s));

    f.clean(name, path);

    if (kind == QLatin1String("Sqlite")) {
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        const QVariantMap info = f.recorder.events.first().info;
        QCOMPARE(info.value(u"cleaningItemName"_s).toString(), name);
        QCOMPARE(info.value(u"cleaningItemPath"_s).toString(), path);
        QVERIFY(info.value(u"didClean"_s).toBool());
        QCOMPARE(chromiumprofiles::integrityCheck(path), u"ok"_s);
        // The row's own tables emptied, nothing else: one table for most rows.
        const QStringList tablesAfter = chromiumprofiles::tableCounts(path);
        QCOMPARE(tablesAfter.size(), tablesBefore.size());
        QStringList changed;
        for (int i = 0; i < tablesAfter.size(); ++i) {
            if (tablesAfter.at(i) != tablesBefore.at(i)) {
                changed.append(tablesAfter.at(i).section(QLatin1Char('='), 0, 0));
                QVERIFY2(tablesAfter.at(i).endsWith(QLatin1String("=0")), qPrintable(tablesAfter.at(i)));
            }
        }
        const QString classification = name.mid(app.size() + 1);
        if (classification == QLatin1String("Browsing History"))
            QVERIFY(chromiumprofiles::tableCounts(topSites).contains(u"top_sites=0"_s));
        else
            QCOMPARE(bytesOf(topSites), topSitesBefore);
        if (emptiedTables.contains(classification))
            QCOMPARE(changed, emptiedTables.value(classification));
        else
            QCOMPARE(changed.size(), 1);
    } else {
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
        const QVariantMap info = f.recorder.events.first().info;
        QCOMPARE(info.value(u"removalItemAppName"_s).toString(), app);
        QCOMPARE(info.value(u"removalItemName"_s).toString(), name);
        QCOMPARE(info.value(u"removalItemRefPath"_s).toString(), path);
        const QString moved = info.value(u"removalItemPath"_s).toString();
        QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());
        QVERIFY(QFileInfo::exists(moved));
    }
    // Nothing but the row's own trace went: one result row fewer, or the same rows for an
    // emptied table that another row still counts.
    QStringList expected;
    for (const TraceSpec &other : std::as_const(f.table))
        expected.append(QLatin1String(other.name));
    expected.removeAt(row);
    QStringList after = f.scannedNames();
    if (kind != QLatin1String("Sqlite") && !name.endsWith(QLatin1String("DOM Storage")))
        QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(after, expected);
    for (int i = 0; i < keptFiles.size(); ++i)
        QCOMPARE(bytesOf(keptFiles.at(i)), keptBytes.at(i));
}

// An early History has fewer history tables: those it has are emptied, and a table it lacks
// fails nothing.
void tst_ChromiumModules::browsingHistoryOfAnOlderSchema()
{
    Fixture f(named(u"Chromium"_s));
    f.onlyKeys({u"Browsing"_s});
    const QString path = f.inProfile(u"History"_s);
    QVERIFY(f.home.createSqlite(f.browser.profile + u"/History"_s, chromiumprofiles::oldHistory()));
    const QStringList before = chromiumprofiles::tableRows(path);
    f.clean(u"Chromium Browsing History"_s, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QVERIFY(f.recorder.events.first().info.value(u"didClean"_s).toBool());
    QStringList expected;
    for (const QString &row : before) {
        const QString table = row.section(QLatin1Char('|'), 0, 0);
        if (!QStringList{u"urls"_s, u"visits"_s, u"segment_usage"_s, u"presentation"_s}.contains(table))
            expected.append(row);
    }
    QCOMPARE(chromiumprofiles::tableRows(path), expected);
    QCOMPARE(expected.size(), 5); // meta's two, a download, a search term and a segment stay
}

void tst_ChromiumModules::formValuesKeepTheRestOfWebData_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("emptied"); // empty: not offered
    const QString current = chromiumprofiles::currentWebData();
    const QString old = chromiumprofiles::oldWebData();
    for (const char *app : {"Chrome", "Chromium", "Flock"}) {
        QTest::addRow("%s, current schema", app) << QString::fromLatin1(app) << current << QStringList{u"autofill"_s};
        QTest::addRow("%s, dates apart", app)
            << QString::fromLatin1(app) << old << QStringList{u"autofill"_s, u"autofill_dates"_s};
        QTest::addRow("%s, no form history kept", app)
            << QString::fromLatin1(app) << current + u"DELETE FROM autofill;"_s << QStringList{};
        QTest::addRow("%s, no form history table", app)
            << QString::fromLatin1(app) << old + u"DROP TABLE autofill;"_s << QStringList{};
    }
}

// Web Data holds the cards, addresses and search engines too: only the form history goes,
// in place, and the file stays sound.
void tst_ChromiumModules::formValuesKeepTheRestOfWebData()
{
    QFETCH(QString, app);
    QFETCH(QString, sql);
    QFETCH(QStringList, emptied);
    Fixture f(named(app));
    f.onlyKeys({u"Forms"_s});
    const QString path = f.inProfile(u"Web Data"_s);
    QVERIFY(f.home.createSqlite(path, sql));
    const QStringList before = chromiumprofiles::tableRows(path);
    const QString name = app + u" Form Values"_s;
    QCOMPARE(f.scannedNames(), emptied.isEmpty() ? QStringList{} : QStringList{name});
    if (emptied.isEmpty())
        return;

    f.clean(name, path);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QVERIFY(f.recorder.events.first().info.value(u"didClean"_s).toBool());
    QCOMPARE(chromiumprofiles::integrityCheck(path), u"ok"_s);
    QStringList expected;
    for (const QString &row : before) {
        if (!emptied.contains(row.section(QLatin1Char('|'), 0, 0)))
            expected.append(row);
    }
    QCOMPARE(chromiumprofiles::tableRows(path), expected);
    QVERIFY(expected.size() >= 4); // what is kept was read, not an empty list
}

void tst_ChromiumModules::paneRegistersItsDefaults_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("nib");
    QTest::addColumn<QVariantMap>("registered");   // the pane's own names, capitalised
    QTest::addColumn<QStringList>("unregistered"); // the module's own names
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("Chrome")
        << "Chrome"
        << "Chrome Settings"
        << "ChromePrefsView"
        << QVariantMap{{"ScanChrome", true},         {"ChromeBrowsing", true},    {"ChromeCache", true},
                       {"ChromeCookies", false},     {"ChromeDownloads", true},   {"ChromeFlashCookies", false},
                       {"ChromeForms", true},        {"ChromeLastSession", true}, {"ChromeRecentSearches", true},
                       {"ChromeWebpageIcons", true}, {"ChromeDOM", true}}
        << QStringList{"scanChrome"}
        << QStringList{"scanChrome",           "chromeBrowsing",     "chromeCache", "chromeCookies",
                       "chromeDownloads",      "chromeFlashCookies", "chromeForms", "chromeLastSession",
                       "chromeRecentSearches", "chromeWebpageIcons", "chromeDOM"};
    QTest::newRow("Chromium")
        << "Chromium"
        << "Chromium Settings"
        << "ChromiumPrefsView"
        << QVariantMap{{"ScanChromium", true},         {"ChromiumBrowsing", true},    {"ChromiumCache", true},
                       {"ChromiumCookies", false},     {"ChromiumDownloads", true},   {"ChromiumFlashCookies", false},
                       {"ChromiumForms", true},        {"ChromiumLastSession", true}, {"ChromiumRecentSearches", true},
                       {"ChromiumWebpageIcons", true}, {"ChromiumDOM", true}}
        << QStringList{"scanChromium"}
        << QStringList{"scanChromium",           "chromiumBrowsing",     "chromiumCache", "chromiumCookies",
                       "chromiumDownloads",      "chromiumFlashCookies", "chromiumForms", "chromiumLastSession",
                       "chromiumRecentSearches", "chromiumWebpageIcons", "chromiumDOM"};
    QTest::newRow("Opera")
        << "Opera"
        << "Opera Settings"
        << "OperaPrefsView"
        << QVariantMap{{"ScanOpera", true},           {"OperaBrowsing", true},     {"OperaCache", true},
                       {"OperaCookies", false},       {"OperaDownloads", true},    {"OperaLastSession", true},
                       {"OperaRecentSearches", true}, {"OperaWebpageIcons", true}, {"OperaDOM", true}}
        << QStringList{"scanOpera"}
        << QStringList{"scanOpera",        "operaBrowsing",       "operaCache",        "operaCookies", "operaDownloads",
                       "operaLastSession", "operaRecentSearches", "operaWebpageIcons", "operaDOM"};
    QTest::newRow("Flock") << "Flock"
                           << "Flock Settings"
                           << "FlockPrefsView"
                           << QVariantMap{{"ScanFlock", true},         {"FlockBrowsing", true},
                                          {"FlockCache", true},        {"FlockCookies", false},
                                          {"FlockDownloads", true},    {"FlockForms", true},
                                          {"FlockLastSession", true},  {"FlockRecentSearches", true},
                                          {"FlockWebpageIcons", true}, {"FlockDOM", true}}
                           << QStringList{"scanFlock"}
                           << QStringList{"scanFlock",        "flockBrowsing",       "flockCache",
                                          "flockCookies",     "flockDownloads",      "flockForms",
                                          "flockLastSession", "flockRecentSearches", "flockWebpageIcons",
                                          "flockDOM"};
}

void tst_ChromiumModules::paneRegistersItsDefaults()
{
    QFETCH(QString, app);
    QFETCH(QString, title);
    QFETCH(QString, nib);
    QFETCH(QVariantMap, registered);
    QFETCH(QStringList, unregistered);
    QFETCH(QStringList, boxes);
    const Browser m = named(app);
    FakeHome home;
    PaneShelf shelf;
    QVariantMap moduleOwn; // what the module itself registered for switches no list holds
    {
        std::unique_ptr<ModuleController> module = m.make();
        moduleOwn = UserDefaults::standardUserDefaults().registeredDefaults();
        module->setPrefControl(&shelf);
        module->loadTargetPrefView();
    }
    QCOMPARE(shelf.ident, m.identifier);
    QVERIFY(shelf.pane);
    QCOMPARE(shelf.pane->title(), title);
    QCOMPARE(shelf.pane->identifier(), m.identifier);
    QCOMPARE(shelf.pane->nibName(), nib);

    // The pane's own names with their values; never the module's keys.
    const QVariantMap defaults = UserDefaults::standardUserDefaults().registeredDefaults();
    for (auto it = registered.cbegin(); it != registered.cend(); ++it)
        QCOMPARE(defaults.value(it.key()), it.value());
    for (const QString &key : std::as_const(unregistered))
        QVERIFY2(defaults.value(key) == moduleOwn.value(key), qPrintable(key));

    // One check box per key the module reads, master first, in its order.
    QStringList names;
    for (QCheckBox *box : shelf.pane->view()->findChildren<QCheckBox *>())
        names.append(box->objectName());
    QCOMPARE(names, boxes);
    QCOMPARE(names, QStringList{QLatin1String(m.scanKey)} + m.keys());
}

// Installed side by side, the two builds of the module share nothing: names, switches,
// notifications and files are each their own.
void tst_ChromiumModules::chromeAndChromiumStayApart()
{
    Fixture chrome(named(u"Chrome"_s));
    const Browser chromiumModule = named(u"Chromium"_s);
    std::unique_ptr<ModuleController> chromium = chromiumModule.make();
    chrome.home.addApplication(chromiumModule.identifier, chromiumModule.app);
    chromium->setFileControl(&chrome.files);
    chromium->setDbControl(&chrome.db);
    chromium->init();
    QVERIFY(chrome.writeEveryTrace());
    QVERIFY(chrome.home.createSqlite(chromiumModule.profile + u"/History"_s, chromiumprofiles::currentHistory()));
    for (const QString &key : chromiumModule.keys())
        UserDefaults::standardUserDefaults().setBool(false, key);
    UserDefaults::standardUserDefaults().setBool(true, u"chromiumBrowsing"_s);

    // Chrome's scan finds Chrome's rows only, with Chromium's browsing switch alone on.
    chrome.setSwitches({u"chromeBrowsing"_s}, false);
    QCOMPARE(chrome.offeredRows(), chrome.tableRows({u"chromeBrowsing"_s}));

    // Chromium's scan finds its two History rows and nothing of Chrome's.
    chrome.results.removeAllObjects();
    postLocationScan(chromiumModule.app, chromiumModule.identifier);
    QCOMPARE(namesOf(chrome.results.arrangedObjects()),
             (QStringList{u"Chromium Browsing History"_s, u"Chromium History Segments"_s}));

    // Cleaning Chromium's history leaves Chrome's; a Chromium name sent to Chrome is not Chrome's.
    const QString chromeHistory = chrome.inProfile(u"History"_s);
    const QString chromiumHistory = chrome.path(chromiumModule.profile + u"/History"_s);
    const QStringList chromeTables = chromiumprofiles::tableCounts(chromeHistory);
    postCleaningRequest(u"Chromium"_s, u"Chromium Browsing History"_s, chromiumHistory);
    QCOMPARE(chromiumprofiles::tableCounts(chromeHistory), chromeTables);
    QVERIFY(chromiumprofiles::tableCounts(chromiumHistory).contains(u"urls=0"_s));
    chrome.recorder.clear();
    postCleaningRequest(u"Chrome"_s, u"Chromium Browsing History"_s, chromeHistory);
    QCOMPARE(chrome.recorder.names(), QStringList{CleaningRecorder::status});
    QVERIFY(!chrome.recorder.events.first().info.value(u"didClean"_s).toBool());
    QCOMPARE(chromiumprofiles::tableCounts(chromeHistory), chromeTables);
}

void tst_ChromiumModules::storesBehindLinkedFolders_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("moved"); // below the home: moved elsewhere and linked back
    QTest::addColumn<bool>("homeLinked");
    QTest::newRow("Chrome, home reached through a link") << "Chrome" << QString() << true;
    QTest::newRow("Chrome, Application Support/Google linked") << "Chrome"
                                                               << "Library/Application Support/Google" << false;
    QTest::newRow("Opera, both") << "Opera"
                                 << "Library/Application Support/com.operasoftware.Opera" << true;
}

// Links above the stores are the user's arrangement: every row is offered as without them,
// and the history is cleaned where the link leads.
void tst_ChromiumModules::storesBehindLinkedFolders()
{
    QFETCH(QString, app);
    QFETCH(QString, moved);
    QFETCH(bool, homeLinked);
    Fixture f(named(app));
    QVERIFY(f.writeEveryTrace());
    QString history = f.inProfile(u"History"_s);
    if (!moved.isEmpty()) {
        const QString elsewhere = QFileInfo(f.home.home()).path() + u"/elsewhere"_s;
        QVERIFY(QDir().rename(f.path(moved), elsewhere));
        QVERIFY(QFile::link(elsewhere, f.path(moved)));
    }
    if (homeLinked) {
        const QString via = QFileInfo(f.home.home()).path() + u"/via"_s;
        QVERIFY(QFile::link(f.home.home(), via));
        qputenv("HOME", QFile::encodeName(via)); // the fake home puts it back
        history = via + history.mid(f.home.home().size());
    }
    QStringList expected;
    for (const TraceSpec &t : std::as_const(f.table))
        expected.append(QLatin1String(t.name));
    QCOMPARE(f.scannedNames(), expected);

    f.clean(app + u" Browsing History"_s, history);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QVERIFY(f.recorder.events.first().info.value(u"didClean"_s).toBool());
    QVERIFY(chromiumprofiles::tableCounts(history).contains(u"urls=0"_s));
}

QTEST_MAIN(tst_ChromiumModules)
#include "tst_chromiummodules.moc"
