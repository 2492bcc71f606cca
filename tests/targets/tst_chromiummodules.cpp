#include "ChromiumModules.h"

#include "core/PrefsPaneHost.h"
#include "platform/FileManager.h"
#include "targets/base/MasterPrefsViewController.h"

#include <QCheckBox>

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
        ident = info.value(QStringLiteral("ident")).toString();
        pane.reset(qobject_cast<MasterPrefsViewController *>(info.value(QStringLiteral("vController")).value<QObject *>()));
    }
    void observeValueForKeyPath(const QString &, int, const QVariant &, const QVariant &) override {}

    QString ident;
    std::unique_ptr<MasterPrefsViewController> pane;
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
    void paneRegistersItsDefaults_data();
    void paneRegistersItsDefaults();
    void chromeAndChromiumStayApart();
    void storesBehindLinkedFolders_data();
    void storesBehindLinkedFolders();
};

void tst_ChromiumModules::scanGivesEveryRowInOrder_data()
{
    QTest::addColumn<QString>("app");
    for (const Module &m : all())
        QTest::newRow(qPrintable(m.app)) << m.app;
}

void tst_ChromiumModules::scanGivesEveryRowInOrder()
{
    QFETCH(QString, app);
    Fixture f(named(app));
    f.writeEveryTrace();
    const QList<resultItemPtr> rows = f.scan();
    QCOMPARE(rows.size(), f.module.traces.size());
    for (int i = 0; i < rows.size(); ++i) {
        const Trace &t = f.module.traces.at(i);
        QCOMPARE(rows.at(i)->resultItemName(), t.name);
        QCOMPARE(rows.at(i)->resultItemType(), t.kind);
        QCOMPARE(rows.at(i)->resultItemPath(), f.path(t.path));
        QCOMPARE(rows.at(i)->resultItemExtraInfo(), QString());
        QCOMPARE(rows.at(i)->resultItemAppName(), app);
        QCOMPARE(rows.at(i)->resultItemIdentifier(), f.module.identifier);
    }
    const QString scanKey = QStringLiteral("scan") + app;
    QCOMPARE(f.controller->scanString(), scanKey);
    UserDefaults::standardUserDefaults().setBool(false, scanKey);
    QVERIFY(!f.controller->checkTarget());
}

void tst_ChromiumModules::switchingKeyOffRemovesItsRows_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("keyOff");
    for (const Module &m : all()) {
        for (const QString &key : m.keys())
            QTest::addRow("%s", qPrintable(key)) << m.app << key;
    }
}

void tst_ChromiumModules::switchingKeyOffRemovesItsRows()
{
    QFETCH(QString, app);
    QFETCH(QString, keyOff);
    Fixture f(named(app));
    f.writeEveryTrace();
    UserDefaults::standardUserDefaults().setBool(false, keyOff);
    QStringList expected;
    for (const Trace &t : std::as_const(f.module.traces)) {
        if (t.key != keyOff)
            expected.append(t.name);
    }
    QCOMPARE(f.scannedNames(), expected);
}

void tst_ChromiumModules::cleaningEveryRow_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<int>("row");
    for (const Module &m : all()) {
        for (int i = 0; i < m.traces.size(); ++i)
            QTest::addRow("%s", qPrintable(m.traces.at(i).name)) << m.app << i;
    }
}

// Every row cleans exactly its own trace: a statement empties one table of History and
// leaves the file sound; a move sets one item aside; the browser's settings stay.
void tst_ChromiumModules::cleaningEveryRow()
{
    QFETCH(QString, app);
    QFETCH(int, row);
    Fixture f(named(app));
    f.writeEveryTrace();
    const Trace t = f.module.traces.at(row);
    const QString path = f.path(t.path);
    const QStringList keptFiles = {f.profile(QStringLiteral("Preferences")), f.profile(QStringLiteral("Bookmarks")),
                                   f.profile(QStringLiteral("Login Data"))};
    QList<QByteArray> keptBytes;
    for (const QString &file : keptFiles)
        keptBytes.append(bytesOf(file));
    const QStringList tablesBefore = chromiumprofiles::tableCounts(path);

    f.clean(t.name, path);

    if (t.kind == QLatin1String("Sqlite")) {
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
        const QVariantMap info = f.recorder.events.first().info;
        QCOMPARE(info.value(QStringLiteral("cleaningItemName")).toString(), t.name);
        QCOMPARE(info.value(QStringLiteral("cleaningItemPath")).toString(), path);
        QVERIFY(info.value(QStringLiteral("didClean")).toBool());
        QCOMPARE(chromiumprofiles::integrityCheck(path), QStringLiteral("ok"));
        // Exactly one table emptied.
        const QStringList tablesAfter = chromiumprofiles::tableCounts(path);
        QCOMPARE(tablesAfter.size(), tablesBefore.size());
        int changed = 0;
        for (int i = 0; i < tablesAfter.size(); ++i) {
            if (tablesAfter.at(i) != tablesBefore.at(i)) {
                ++changed;
                QVERIFY2(tablesAfter.at(i).endsWith(QLatin1String("=0")), qPrintable(tablesAfter.at(i)));
            }
        }
        QCOMPARE(changed, 1);
    } else {
        QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::removal});
        const QVariantMap info = f.recorder.events.first().info;
        QCOMPARE(info.value(QStringLiteral("removalItemAppName")).toString(), app);
        QCOMPARE(info.value(QStringLiteral("removalItemName")).toString(), t.name);
        QCOMPARE(info.value(QStringLiteral("removalItemRefPath")).toString(), path);
        const QString moved = info.value(QStringLiteral("removalItemPath")).toString();
        QCOMPARE(QFileInfo(moved).absolutePath(), FileController::temporaryFolderPath());
        QVERIFY(QFileInfo::exists(moved));
    }
    // Nothing but the row's own trace went: one result row fewer, or the same rows for an
    // emptied table that another row still counts.
    QStringList expected;
    for (const Trace &other : std::as_const(f.module.traces))
        expected.append(other.name);
    expected.removeAt(row);
    QStringList after = f.scannedNames();
    if (t.kind != QLatin1String("Sqlite") && !t.name.endsWith(QLatin1String("DOM Storage")))
        QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(after, expected);
    for (int i = 0; i < keptFiles.size(); ++i)
        QCOMPARE(bytesOf(keptFiles.at(i)), keptBytes.at(i));
}

void tst_ChromiumModules::paneRegistersItsDefaults_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QStringList>("offByDefault");
    const QStringList cookies{QStringLiteral("Cookies")};
    const QStringList flash{QStringLiteral("Cookies"), QStringLiteral("FlashCookies")};
    QTest::newRow("Chrome") << QStringLiteral("Chrome") << flash;
    QTest::newRow("Chromium") << QStringLiteral("Chromium") << flash;
    QTest::newRow("Opera") << QStringLiteral("Opera") << cookies;
    QTest::newRow("Flock") << QStringLiteral("Flock") << cookies;
}

void tst_ChromiumModules::paneRegistersItsDefaults()
{
    QFETCH(QString, app);
    QFETCH(QStringList, offByDefault);
    const Module m = named(app);
    FakeHome home;
    PaneShelf shelf;
    {
        std::unique_ptr<ModuleController> module = m.make();
        module->setPrefControl(&shelf);
        module->loadTargetPrefView();
    }
    QCOMPARE(shelf.ident, m.identifier);
    QVERIFY(shelf.pane);
    QCOMPARE(shelf.pane->title(), app + QStringLiteral(" Settings"));
    QCOMPARE(shelf.pane->identifier(), m.identifier);
    QCOMPARE(shelf.pane->nibName(), app + QStringLiteral("PrefsView"));

    // The pane's own names, capitalised, with their values; never the module's keys.
    QVariantMap expected{{QStringLiteral("Scan") + app, true}};
    for (const QString &key : m.keys()) {
        const QString word = key.mid(app.size());
        expected.insert(app + word, !offByDefault.contains(word));
    }
    QCOMPARE(expected.size(), m.keys().size() + 1);
    const QVariantMap registered = UserDefaults::standardUserDefaults().registeredDefaults();
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(registered.value(it.key()), it.value());
    QVERIFY(!registered.contains(QStringLiteral("scan") + app));

    // One check box per key the module reads, master first, in its order.
    QStringList boxes;
    for (QCheckBox *box : shelf.pane->view()->findChildren<QCheckBox *>())
        boxes.append(box->objectName());
    QCOMPARE(boxes, QStringList{QStringLiteral("scan") + app} + m.keys());
}

// Installed side by side, the two builds of the module share nothing: names, switches,
// notifications and files are each their own.
void tst_ChromiumModules::chromeAndChromiumStayApart()
{
    Fixture chrome(named(QStringLiteral("Chrome")));
    const Module chromiumModule = named(QStringLiteral("Chromium"));
    std::unique_ptr<ModuleController> chromium = chromiumModule.make();
    chrome.home.addApplication(chromiumModule.identifier, chromiumModule.app);
    chromium->setFileControl(&chrome.files);
    chromium->setDbControl(&chrome.db);
    chromium->init();
    chrome.writeEveryTrace();
    QVERIFY(chrome.home.createSqlite(chromiumModule.profile + QStringLiteral("/History"),
                                     chromiumprofiles::currentHistory()));
    for (const QString &key : chromiumModule.keys())
        UserDefaults::standardUserDefaults().setBool(false, key);
    UserDefaults::standardUserDefaults().setBool(true, QStringLiteral("chromiumBrowsing"));

    // Chrome's scan finds Chrome's rows only, with Chromium's browsing switch alone on.
    UserDefaults::standardUserDefaults().setBool(false, QStringLiteral("chromeBrowsing"));
    QStringList expected;
    for (const Trace &t : std::as_const(chrome.module.traces)) {
        if (t.key != QLatin1String("chromeBrowsing"))
            expected.append(t.name);
    }
    QCOMPARE(chrome.scannedNames(), expected);

    // Chromium's scan finds its two History rows and nothing of Chrome's.
    chrome.results.removeAllObjects();
    postLocationScan(chromiumModule.app, chromiumModule.identifier);
    QCOMPARE(namesOf(chrome.results.arrangedObjects()), (QStringList{QStringLiteral("Chromium Browsing History"), QStringLiteral("Chromium History Segments")}));

    // Cleaning Chromium's history leaves Chrome's; a Chromium name sent to Chrome is not Chrome's.
    const QString chromeHistory = chrome.profile(QStringLiteral("History"));
    const QString chromiumHistory = chrome.path(chromiumModule.profile + QStringLiteral("/History"));
    const QStringList chromeTables = chromiumprofiles::tableCounts(chromeHistory);
    postCleaningRequest(QStringLiteral("Chromium"), QStringLiteral("Chromium Browsing History"), chromiumHistory);
    QCOMPARE(chromiumprofiles::tableCounts(chromeHistory), chromeTables);
    QVERIFY(chromiumprofiles::tableCounts(chromiumHistory).contains(QStringLiteral("urls=0")));
    chrome.recorder.clear();
    postCleaningRequest(QStringLiteral("Chrome"), QStringLiteral("Chromium Browsing History"), chromeHistory);
    QCOMPARE(chrome.recorder.names(), QStringList{CleaningRecorder::status});
    QVERIFY(!chrome.recorder.events.first().info.value(QStringLiteral("didClean")).toBool());
    QCOMPARE(chromiumprofiles::tableCounts(chromeHistory), chromeTables);
}

void tst_ChromiumModules::storesBehindLinkedFolders_data()
{
    QTest::addColumn<QString>("app");
    QTest::addColumn<QString>("moved"); // below the home: moved elsewhere and linked back
    QTest::addColumn<bool>("homeLinked");
    QTest::newRow("Chrome, home reached through a link") << "Chrome" << QString() << true;
    QTest::newRow("Chrome, Application Support/Google linked") << "Chrome" << "Library/Application Support/Google" << false;
    QTest::newRow("Opera, both") << "Opera" << "Library/Application Support/com.operasoftware.Opera" << true;
}

// Links above the stores are the user's arrangement: every row is offered as without them,
// and the history is cleaned where the link leads.
void tst_ChromiumModules::storesBehindLinkedFolders()
{
    QFETCH(QString, app);
    QFETCH(QString, moved);
    QFETCH(bool, homeLinked);
    Fixture f(named(app));
    f.writeEveryTrace();
    QString history = f.profile(QStringLiteral("History"));
    if (!moved.isEmpty()) {
        const QString elsewhere = QFileInfo(f.home.home()).path() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().rename(f.path(moved), elsewhere));
        QVERIFY(QFile::link(elsewhere, f.path(moved)));
    }
    if (homeLinked) {
        const QString via = QFileInfo(f.home.home()).path() + QStringLiteral("/via");
        QVERIFY(QFile::link(f.home.home(), via));
        qputenv("HOME", QFile::encodeName(via)); // the fake home puts it back
        history = via + history.mid(f.home.home().size());
    }
    QStringList expected;
    for (const Trace &t : std::as_const(f.module.traces))
        expected.append(t.name);
    QCOMPARE(f.scannedNames(), expected);

    f.clean(app + QStringLiteral(" Browsing History"), history);
    QCOMPARE(f.recorder.names(), QStringList{CleaningRecorder::status});
    QVERIFY(f.recorder.events.first().info.value(QStringLiteral("didClean")).toBool());
    QVERIFY(chromiumprofiles::tableCounts(history).contains(QStringLiteral("urls=0")));
}

QTEST_MAIN(tst_ChromiumModules)
#include "tst_chromiummodules.moc"
