#include "core/FileController.h"
#include "core/Keys.h"
#include "core/LocationController.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "support/FakeHome.h"
#include "support/RunningApps.h"
#include "targets/safari/SafariController.h"
#include "ui/alerts/AlertController.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/results/ResultsController.h"

#include <QDialog>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kSafari = u"com.apple.Safari"_s;
const QString kFirefox = u"org.mozilla.firefox"_s;

void request(const QString &identifier, const QString &name, const QString &parent = QString())
{
    QVariantMap info{{u"alertItemIdentifier"_s, identifier}, {u"alertItemName"_s, name}};
    if (!parent.isEmpty())
        info.insert(u"alertItemParent"_s, parent);
    platform::NotificationCenter::defaultCenter().post(u"AddAlertItem"_s, nullptr, info);
}

QStringList rowNames(const AlertController &alert)
{
    QStringList names;
    for (const auto &row : alert.alertItemArrayController()->arrangedObjects())
        names << row->alertItemName();
    return names;
}

// Records the notifications the alert may post.
struct Posted
{
    QObject owner;
    QStringList names;
    Posted()
    {
        for (const char *name : {"StartScanNotification", "StartShredNotification", "ContinueShredNotification",
                                 "CancelShredNotification", "SkipShredItemNotification", "ScanLocations"})
            platform::NotificationCenter::defaultCenter().addObserver(
                &owner, QLatin1String(name), [this](const platform::Notification &n) { names << n.name; });
    }
};

// The main window's Scan with the controllers it talks to, wired as the interface file does.
struct Scanner
{
    LocationController locations;
    FileController files;
    ResultsController results;
    AlertController alert;
    MainWindow window;
    AppController app;
    Scanner()
    {
        locations.awakeFromNib();
        alert.awakeFromNib();
        files.setResultsArrayController(results.resultsArrayController());
        app.setMainWindow(&window);
        app.setLocationArrayController(locations.locationArrayController());
        app.setAlertControl(&alert);
        app.setResultsControl(&results);
    }
};

} // namespace

class tst_Alert : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void requestForIdleApplicationListsNothing();
    void cancelTitle_data();
    void cancelTitle();
    void listsEveryInstanceSorted();
    void scanWaitsForApplicationToQuit();
    void abandonedScanIsForgotten();
    void twoInstancesMustBothQuit();
    void cancel_data();
    void cancel();
    void relaunchIsListedAgain();

private:
    // Runs `script` once the alert window is up; a watchdog ends a run that never closes.
    void whenModal(std::function<void(QWidget *)> script);
    bool m_watchdogFired = false;
};

void tst_Alert::init()
{
    m_watchdogFired = false;
}

void tst_Alert::cleanup()
{
    platform::Modal::setObserver({});
}

void tst_Alert::whenModal(std::function<void(QWidget *)> script)
{
    platform::Modal::setObserver([script](QWidget *window, bool) { script(window); });
    QTimer::singleShot(30000, this, [this] {
        if (platform::Modal::modalWindow()) {
            m_watchdogFired = true;
            platform::Modal::abortModal();
        }
    });
}

void tst_Alert::requestForIdleApplicationListsNothing()
{
    FakeHome home;
    home.addApplication(kSafari, u"Safari"_s);
    AlertController alert;
    alert.awakeFromNib();
    request(kSafari, u"Safari"_s, u"AppControl"_s);
    request(kSafari, u"Safari"_s);
    QVERIFY(!alert.shouldDisplayAlertWindow());
    QCOMPARE(alert.alertItemArrayController()->count(), 0);
    // remembered once, for a launch while the alert is up
    QCOMPARE(alert.appArray().size(), 1);
    QCOMPARE(alert.alertParent(), u"AppControl"_s);
}

void tst_Alert::cancelTitle_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("title");
    QTest::newRow("scan") << "AppControl"
                          << "Cancel Scan";
    QTest::newRow("clean") << "ResultsControl"
                           << "Cancel Removal";
    QTest::newRow("one row") << "ResultsControlSingleEntry"
                             << "Skip Firefox";
    QTest::newRow("unknown") << "SomebodyElse"
                             << "Cancel Removal";
}

void tst_Alert::cancelTitle()
{
    QFETCH(QString, parent);
    QFETCH(QString, title);
    FakeHome home;
    RunningApps apps(home);
    QVERIFY(apps.launch(kFirefox, u"Firefox"_s));
    AlertController alert;
    alert.awakeFromNib();
    request(kFirefox, u"Firefox"_s, parent);
    QVERIFY(alert.shouldDisplayAlertWindow());
    QCOMPARE(alert.alertCancelButton()->text(), title);
}

void tst_Alert::listsEveryInstanceSorted()
{
    FakeHome home;
    RunningApps apps(home);
    QVERIFY(apps.launch(kSafari, u"Safari"_s));
    QVERIFY(apps.launch(kSafari, u"Safari"_s));
    QVERIFY(apps.launch(u"de.icab.iCab"_s, u"iCab"_s));
    QVERIFY(apps.launch(kFirefox, u"Firefox"_s));
    AlertController alert;
    alert.awakeFromNib();
    request(kSafari, u"Safari"_s, u"AppControl"_s);
    request(u"de.icab.iCab"_s, u"iCab"_s);
    request(kFirefox, u"Firefox"_s);
    request(kSafari, u"Safari"_s); // already listed: ignored
    QCOMPARE(rowNames(alert), QStringList({"Firefox", "iCab", "Safari", "Safari"}));
    const auto rows = alert.alertItemArrayController()->arrangedObjects();
    QVERIFY(rows[2]->alertItemApp()->processIdentifier != rows[3]->alertItemApp()->processIdentifier);
    const platform::ImagePtr icon = rows[2]->alertItemImage();
    QVERIFY(icon && !icon->isNull());
    QCOMPARE(icon->pixelColor(icon->width() / 2, icon->height() / 2).rgb(), FakeHome::iconColor(kSafari).rgb());
    QCOMPARE(alert.appArray().size(), 3);

    // A close forgets everything.
    alert.closeAlertWindow();
    QVERIFY(!alert.shouldDisplayAlertWindow());
    QVERIFY(alert.appArray().isEmpty());
}

void tst_Alert::scanWaitsForApplicationToQuit()
{
    FakeHome home;
    RunningApps apps(home);
    QProcess *safari = apps.launch(kSafari, u"Safari"_s);
    QVERIFY(safari);
    QVERIFY(home.writeFile(u"Library/Safari/History.plist"_s, QByteArray(5000, 'h')));
    platform::UserDefaults::standardUserDefaults().setBool(true, u"scanSafari"_s);
    platform::UserDefaults::standardUserDefaults().setBool(true, u"safariBrowsing"_s);

    Scanner scanner;
    LocationController &locations = scanner.locations;
    ResultsController &results = scanner.results;
    AlertController &alert = scanner.alert;
    MainWindow &window = scanner.window;
    AppController &app = scanner.app;
    SafariController module;
    module.init();
    platform::NotificationCenter::defaultCenter().post(keys::CheckTargetLocations);
    QCOMPARE(locations.locationArrayController()->count(), 1);
    app.displayMainWindow();
    platform::Timer::fireAllPending();
    Posted posted;

    QStringList listed;
    QString cancelTitle;
    bool scannedEarly = true;
    whenModal([&](QWidget *window) {
        QCOMPARE(window, static_cast<QWidget *>(alert.alertWindow()));
        listed = rowNames(alert);
        cancelTitle = alert.alertCancelButton()->text();
        scannedEarly = posted.names.contains(keys::ScanLocations);
        RunningApps::quit(safari);
    });
    app.scan();
    if (QTest::currentTestFailed()) // a check in the modal loop failed
        return;

    QVERIFY(!m_watchdogFired);
    QCOMPARE(listed, QStringList({"Safari"}));
    QCOMPARE(cancelTitle, u"Cancel Scan"_s);
    QVERIFY(!scannedEarly);
    QCOMPARE(posted.names.count(u"StartScanNotification"_s), 1);
    QCOMPARE(posted.names.count(keys::ScanLocations), 1);
    QVERIFY(!alert.alertWindow()->isVisible());
    QVERIFY(alert.appArray().isEmpty());
    QCOMPARE(window.contentView(), window.resultsView());
    QCOMPARE(results.resultsArrayController()->count(), 1);
}

// A Scan given up at the sync question ("Yes") leaves its running application behind: the next
// Scan, of another application only, must not ask about it.
void tst_Alert::abandonedScanIsForgotten()
{
    FakeHome home;
    RunningApps apps(home);
    QVERIFY(apps.launch(u"com.google.Chrome"_s, u"Chrome"_s));
    QVERIFY(home.writeFile(u"Library/Application Support/Google/Chrome/Default/Preferences"_s,
                           R"({"account_info":[{"account_id":"1"}],"sync":{"tabs":true}})"));
    home.addApplication(kSafari, u"Safari"_s);
    Scanner scanner;
    LocationController &locations = scanner.locations;
    AlertController &alert = scanner.alert;
    MainWindow &window = scanner.window;
    AppController &app = scanner.app;
    for (const auto &[ident, name] : {std::pair{u"com.google.Chrome"_s, u"Chrome"_s}, std::pair{kSafari, u"Safari"_s}})
        platform::NotificationCenter::defaultCenter().post(keys::AddTargetLocation, nullptr,
                                                           {{keys::Ident, ident}, {keys::TargetName, name}});
    QCOMPARE(locations.locationArrayController()->count(), 2);
    app.displayMainWindow();
    platform::Timer::fireAllPending();
    auto checkOnly = [&](const QString &identifier) {
        for (const auto &row : locations.locationArrayController()->arrangedObjects())
            row->setLocIsChecked(row->locIdentifier() == identifier);
    };
    platform::Workspace::sharedWorkspace().setURLRecorder([](const QUrl &) {});
    platform::Alert::setResponder([](const platform::Alert &, bool &) { return platform::Alert::FirstButtonReturn; });
    QStringList asked;
    whenModal([&](QWidget *) {
        asked << rowNames(alert);
        alert.cancelAlertWindow();
    });
    Posted posted;

    checkOnly(u"com.google.Chrome"_s);
    app.scan(); // the sync question answered "Yes": no scan
    checkOnly(kSafari);
    app.scan();
    platform::Alert::setResponder({});
    platform::Workspace::sharedWorkspace().setURLRecorder({});

    QVERIFY(asked.isEmpty());
    QCOMPARE(posted.names.count(keys::ScanLocations), 1);
    QCOMPARE(window.contentView(), window.resultsView());
}

void tst_Alert::twoInstancesMustBothQuit()
{
    FakeHome home;
    RunningApps apps(home);
    QProcess *first = apps.launch(kSafari, u"Safari"_s);
    QProcess *second = apps.launch(kSafari, u"Safari"_s);
    QVERIFY(first && second);
    AlertController alert;
    alert.awakeFromNib();
    Posted posted;
    request(kSafari, u"Safari"_s, u"ResultsControl"_s);
    QCOMPARE(alert.alertItemArrayController()->count(), 2);

    bool stillUp = false;
    QStringList postedMeanwhile{"unset"};
    whenModal([&](QWidget *) {
        RunningApps::quit(first);
        QTRY_COMPARE_WITH_TIMEOUT(alert.alertItemArrayController()->count(), 1, 20000);
        stillUp = alert.alertWindow()->isVisible() && platform::Modal::isRunning(alert.alertWindow());
        postedMeanwhile = posted.names;
        RunningApps::quit(second);
    });
    alert.showAlertWindow();
    if (QTest::currentTestFailed()) // a check in the modal loop failed
        return;
    QVERIFY(!m_watchdogFired);
    QVERIFY(stillUp);
    QVERIFY(postedMeanwhile.isEmpty());
    QCOMPARE(posted.names, QStringList({"StartShredNotification"}));
    QVERIFY(!alert.alertWindow()->isVisible());
}

void tst_Alert::cancel_data()
{
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("scan") << "AppControl" << QStringList();
    QTest::newRow("clean") << "ResultsControl" << QStringList({"CancelShredNotification"});
    QTest::newRow("one row") << "ResultsControlSingleEntry" << QStringList({"SkipShredItemNotification"});
}

void tst_Alert::cancel()
{
    QFETCH(QString, parent);
    QFETCH(QStringList, expected);
    FakeHome home;
    RunningApps apps(home);
    QVERIFY(apps.launch(kFirefox, u"Firefox"_s));
    AlertController alert;
    alert.awakeFromNib();
    Posted posted;
    request(kFirefox, u"Firefox"_s, parent);
    whenModal([&](QWidget *) { alert.alertCancelButton()->click(); });
    alert.showAlertWindow();
    QVERIFY(!m_watchdogFired);
    QCOMPARE(posted.names, expected);
    QVERIFY(!alert.alertWindow()->isVisible());
    QVERIFY(!alert.shouldDisplayAlertWindow());
    QVERIFY(alert.appArray().isEmpty());
}

void tst_Alert::relaunchIsListedAgain()
{
    FakeHome home;
    RunningApps apps(home);
    QProcess *safari = apps.launch(kSafari, u"Safari"_s);
    QProcess *firefox = apps.launch(kFirefox, u"Firefox"_s);
    QVERIFY(safari && firefox);
    AlertController alert;
    alert.awakeFromNib();
    Posted posted;
    request(kSafari, u"Safari"_s, u"ResultsControl"_s);
    request(kFirefox, u"Firefox"_s, u"ResultsControl"_s);

    QStringList afterQuit, afterRelaunch;
    whenModal([&](QWidget *) {
        RunningApps::quit(safari);
        QTRY_COMPARE_WITH_TIMEOUT(rowNames(alert), QStringList({"Firefox"}), 20000);
        afterQuit = rowNames(alert);
        QProcess *again = apps.launch(kSafari, u"Safari"_s);
        QVERIFY(again);
        QTRY_COMPARE_WITH_TIMEOUT(rowNames(alert), QStringList({"Firefox", "Safari"}), 20000);
        afterRelaunch = rowNames(alert);
        RunningApps::quit(firefox);
        QTRY_COMPARE_WITH_TIMEOUT(rowNames(alert), QStringList({"Safari"}), 20000);
        QVERIFY(posted.names.isEmpty());
        RunningApps::quit(again);
    });
    alert.showAlertWindow();
    if (QTest::currentTestFailed()) // a check in the modal loop failed
        return;
    QVERIFY(!m_watchdogFired);
    QCOMPARE(afterQuit, QStringList({"Firefox"}));
    QCOMPARE(afterRelaunch, QStringList({"Firefox", "Safari"}));
    QCOMPARE(posted.names, QStringList({"StartShredNotification"}));
}

QTEST_MAIN(tst_Alert)
#include "tst_alert.moc"
