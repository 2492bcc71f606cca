#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "core/Keys.h"
#include "core/RestartTool.h"
#include "core/records/resultItem.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Task.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "support/FakeHome.h"
#include "support/RunningApps.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/results/ResultsController.h"
#include "ui/summary/CleaningSummary.h"

#include <QApplication>
#include <QLabel>
#include <QScopeGuard>
#include <QTextDocumentFragment>
#include <QtTest>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

namespace {

struct Row
{
    QString name;
    QString appName;
    QString identifier;
    bool checked;
};

struct ShownAlert
{
    QString message;
    QString informative;
    QStringList buttons;
    bool suppressionBox;
};

// One launched interface over a fake home, with every alert answered and every modal window
// stopped once it is up.
class Shell
{
public:
    Shell()
    {
        // Safari is installed (and its pane was offered before), so there is a place to scan.
        home.addApplication(u"com.apple.Safari"_s, u"Safari"_s);
        UserDefaults::standardUserDefaults().setBool(true, u"com.apple.Safari"_s);
        UserDefaults::standardUserDefaults().setBool(false, u"FirstLaunch"_s);
        NimbrelAppDelegate::registerDefaultsAndApplyRules();
        platform::Alert::setResponder([this](const platform::Alert &alert, bool &suppress) {
            alerts.append(
                {alert.messageText(), alert.informativeText(), alert.buttonTitles(), alert.showsSuppressionButton()});
            suppress = tick;
            return answer;
        });
        platform::Modal::setObserver([this](QWidget *window, bool) {
            modalWindows.append(window->objectName());
            platform::Modal::endModalForWindow(window);
        });
        platform::Task::setLaunchRecorder([this](const QString &path, const QStringList &arguments) {
            launches.append(QStringList{path} + arguments);
        });
        ui = MainInterface::load();
        // The start-up tips and launch prompts run now, as at launch, not in the middle of a test.
        platform::Timer::fireAllPending();
        for (const char *name :
             {"AddAlertItem", "CleanSystemTip", "CleaningStatusTips", "CleaningStatusTipsEnd", "CleanSystemTipEnd"})
            platform::NotificationCenter::defaultCenter().addObserver(
                &observer, QLatin1String(name), [this](const platform::Notification &n) {
                    posted << n.name;
                    if (n.userInfo.value(u"alertItemParent"_s) == u"ResultsControl"_s)
                        runRequests << n.userInfo;
                });
    }
    ~Shell()
    {
        ui.reset();
        platform::Alert::setResponder({});
        platform::Modal::setObserver({});
        platform::Task::setLaunchRecorder({});
    }

    ResultsController *results() const { return ui->resultsControl(); }

    void addRows(const QList<Row> &rows)
    {
        for (const Row &r : rows) {
            const resultItemPtr row = resultItem::create();
            row->setResultItemName(r.name);
            row->setResultItemAppName(r.appName);
            row->setResultItemIdentifier(r.identifier);
            row->setResultItemPath(home.path(u"Library/"_s + r.name));
            row->setResultItemIsChecked(r.checked);
            results()->resultsArrayController()->addObject(row);
        }
    }
    QList<bool> checkedStates() const
    {
        QList<bool> states;
        for (const resultItemPtr &row : results()->resultsArrayController()->arrangedObjects())
            states << row->isTicked();
        return states;
    }
    // The main window is up and its location list filled, as the user finds it before Scan.
    bool waitForLocations()
    {
        AppController *app = ui->appControl();
        if (!QTest::qWaitForWindowExposed(app->mainWindow()))
            return false;
        platform::Timer::fireAllPending();
        return QTest::qWaitFor([app] { return app->locationArrayController()->count() > 0; }, 30000);
    }
    // Only the summary window is looked at from here on. A large window repainting inside its
    // modal run would bring in Qt's raster thread pool, whose own hand-overs the thread checker
    // cannot see.
    void hideMainWindow() { ui->appControl()->mainWindow()->hide(); }
    // The summary's window runs from the main loop once the summary is written.
    bool waitForSummaryEnd()
    {
        return QTest::qWaitFor([this] { return posted.contains(u"CleanSystemTipEnd"_s); }, 30000);
    }

    FakeHome home;
    RunningApps apps{home}; // only this home's applications count as running
    int answer = platform::Alert::FirstButtonReturn;
    bool tick = false;
    QList<ShownAlert> alerts;
    QStringList modalWindows;
    QList<QStringList> launches;
    QStringList posted;
    QList<QVariantMap> runRequests; // alert requests of the Clean action's check
    QObject observer;
    std::unique_ptr<MainInterface> ui;
};

const QString kCookieMessage = u"Cookie Cleaning Alert"_s;
const QString kRecentMessage = u"Finder Recent Folders Cleaning Alert"_s;

} // namespace

class tst_cleaningchecks : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
            qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
    }

    void warnings_data();
    void warnings();
    void emptyScanSummary_data();
    void emptyScanSummary();
    void runningApplicationRequests_data();
    void runningApplicationRequests();
    void cleanRun_data();
    void cleanRun();
    void daemonRestarts_data();
    void daemonRestarts();
};

void tst_cleaningchecks::warnings_data()
{
    QTest::addColumn<bool>("cookieWarning"); // else the recent-folders warning
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<bool>("suppressed");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<QList<bool>>("checkedAfter");
    QTest::addColumn<bool>("suppressedAfter");
    QTest::addColumn<bool>("skipAfter");

    const int yes = platform::Alert::FirstButtonReturn;
    const int skip = platform::Alert::SecondButtonReturn;
    const Row history{"Safari History", "Safari", "com.apple.Safari", true};
    const Row cookies{"Safari Cookies", "Safari", "com.apple.Safari", true};
    const Row otherCookies{"Firefox Cookies", "Firefox", "org.mozilla.firefox", false};
    const Row flash{"Flash Player Settings", "Flash Cookies", "FlashCookies", true};
    const Row recent{"Finder Recent Folders", "Finder", "com.apple.finder", true};
    const Row recentOff{"Finder Recent Folders", "Finder", "com.apple.finder", false};

    QTest::newRow("no cookie row") << true << QList<Row>{history, recent} << false << skip << false << false
                                   << QList<bool>{true, true} << false << false;
    QTest::newRow("cookie rows all unchecked") << true << QList<Row>{history, otherCookies} << false << skip << false
                                               << false << QList<bool>{true, false} << false << false;
    QTest::newRow("cookies, go on") << true << QList<Row>{history, cookies, otherCookies} << false << yes << false
                                    << true << QList<bool>{true, true, false} << false << false;
    QTest::newRow("cookies, skip") << true << QList<Row>{cookies, history, otherCookies, flash} << false << skip
                                   << false << true << QList<bool>{false, true, false, false} << false << true;
    QTest::newRow("flash row alone belongs") << true << QList<Row>{flash, history} << false << skip << false << true
                                             << QList<bool>{false, true} << false << true;
    QTest::newRow("cookies suppressed") << true << QList<Row>{cookies, flash} << true << skip << false << false
                                        << QList<bool>{true, true} << true << false;
    QTest::newRow("cookies, tick and skip") << true << QList<Row>{cookies, history} << false << skip << true << true
                                            << QList<bool>{false, true} << true << true;
    QTest::newRow("cookies, tick and go on")
        << true << QList<Row>{cookies} << false << yes << true << true << QList<bool>{true} << true << false;
    QTest::newRow("recent folders ignore cookies") << false << QList<Row>{cookies, flash} << false << skip << false
                                                   << false << QList<bool>{true, true} << false << false;
    QTest::newRow("recent folders, skip") << false << QList<Row>{recent, cookies, recentOff} << false << skip << false
                                          << true << QList<bool>{false, true, false} << false << true;
    QTest::newRow("recent folders, tick and go on") << false << QList<Row>{recent, history} << false << yes << true
                                                    << true << QList<bool>{true, true} << true << false;
    QTest::newRow("recent folders suppressed")
        << false << QList<Row>{recent} << true << skip << false << false << QList<bool>{true} << true << false;
}

void tst_cleaningchecks::warnings()
{
    QFETCH(bool, cookieWarning);
    QFETCH(QList<Row>, rows);
    QFETCH(bool, suppressed);
    QFETCH(int, answer);
    QFETCH(bool, tick);
    QFETCH(bool, asked);
    QFETCH(QList<bool>, checkedAfter);
    QFETCH(bool, suppressedAfter);
    QFETCH(bool, skipAfter);

    Shell shell;
    const QString key = cookieWarning ? u"CookieAlertSuppress"_s : u"recentFolderAlertSuppress"_s;
    UserDefaults::standardUserDefaults().setBool(suppressed, key);
    shell.addRows(rows);
    shell.answer = answer;
    shell.tick = tick;

    if (cookieWarning)
        shell.results()->checkCookies();
    else
        shell.results()->checkRecentFolders();

    QCOMPARE(shell.alerts.size(), asked ? 1 : 0);
    if (asked) {
        const ShownAlert &alert = shell.alerts.first();
        QCOMPARE(alert.message, cookieWarning ? kCookieMessage : kRecentMessage);
        QVERIFY(alert.informative.endsWith(cookieWarning ? u"continue cleaning cookie files?"_s
                                                         : u"continue cleaning Finder recent folders?"_s));
        QCOMPARE(
            alert.buttons,
            QStringList({u"Yes"_s, cookieWarning ? u"Skip cookie cleaning"_s : u"Skip recent folders cleaning"_s}));
        QVERIFY(alert.suppressionBox);
    }
    QCOMPARE(shell.checkedStates(), checkedAfter);
    QCOMPARE(UserDefaults::standardUserDefaults().boolForKey(key), suppressedAfter);
    QCOMPARE(cookieWarning ? shell.results()->skipCookies() : shell.results()->skipRecentFolders(), skipAfter);
    // The other warning's answer is never touched.
    QCOMPARE(cookieWarning ? shell.results()->skipRecentFolders() : shell.results()->skipCookies(), false);
}

void tst_cleaningchecks::emptyScanSummary_data()
{
    QTest::addColumn<QVariant>("lastScanCount"); // invalid: never set
    QTest::addColumn<bool>("tip");
    QTest::addColumn<qint64>("lastScanCountAfter");

    QTest::newRow("first empty scan ever") << QVariant() << true << qint64(0);
    QTest::newRow("after an empty scan") << QVariant(0) << true << qint64(0);
    QTest::newRow("after findings") << QVariant(7) << false << qint64(0);
    QTest::newRow("damaged count") << QVariant(-4) << true << qint64(0);
}

// A scan that finds nothing goes straight to the summary of a clean system.
void tst_cleaningchecks::emptyScanSummary()
{
    QFETCH(QVariant, lastScanCount);
    QFETCH(bool, tip);
    QFETCH(qint64, lastScanCountAfter);

    Shell shell;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setInteger(3, u"runCount"_s);
    if (lastScanCount.isValid())
        defaults.setInteger(lastScanCount.toLongLong(), u"lastScanCount"_s);
    AppController *app = shell.ui->appControl();
    QVERIFY(shell.waitForLocations());

    app->scan();
    shell.hideMainWindow();
    ResultsController *results = shell.results();
    QCOMPARE(results->resultsArrayController()->count(), 0);
    QCOMPARE(defaults.integerForKey(u"runCount"_s), qint64(4));
    QCOMPARE(defaults.integerForKey(u"lastScanCount"_s), lastScanCountAfter);
    QCOMPARE(results->shouldShowCleanSystemTip(), tip);
    QVERIFY(!results->showingScanResults());
    QVERIFY(results->isDoneCleaning());
    QVERIFY(results->enableShredMenu());
    QVERIFY(results->cleanSystemImageView()->isVisibleTo(app->mainWindow()));
    QVERIFY(!results->cleanSystemImageView()->pixmap().isNull());

    QCOMPARE(results->cleaningStatusTextField()->text(), u"System Is Clean"_s);
    QVERIFY(!results->cleaningStatusImage()->pixmap().isNull());
    QCOMPARE(results->cleaningOutput()->text(),
             u"0 threats cleaned\n0 threats skipped\nApproximately 0.0 KB of files cleaned\n"_s);
    QLabel *link = results->tweetLink();
    QVERIFY(!link->isHidden());
    QVERIFY(link->text().contains(u"Tweet Scan Results"_s));
    QVERIFY(link->text().contains(
        u"https://social.example.com/home?status=I'm+protecting+my+Mac+from+privacy+threats+with+%40Nimbrel,"
        "+and+my+system+is+clean!++https://www.example.com/"_s));
    QVERIFY(link->alignment() & Qt::AlignHCenter);
    // Following the link opens the status page in the browser, the status exactly as written.
    QList<QUrl> opened;
    platform::Workspace::sharedWorkspace().setURLRecorder([&opened](const QUrl &url) { opened << url; });
    const auto noRecorder = qScopeGuard([] { platform::Workspace::sharedWorkspace().setURLRecorder({}); });
    const QString href = link->text().section(QLatin1Char('"'), 1, 1);
    emit link->linkActivated(QTextDocumentFragment::fromHtml(href).toPlainText());
    QCOMPARE(opened.size(), 1);
    QVERIFY(opened.first().toString(QUrl::FullyEncoded).endsWith(u"is+clean!++https://www.example.com/nimbrel"_s));

    // The tips come before the window, their ends after it.
    QVERIFY(shell.waitForSummaryEnd());
    QCOMPARE(shell.modalWindows, QStringList{u"cleaningResultsWindow"_s});
    QStringList expected;
    if (tip)
        expected << u"CleanSystemTip"_s;
    expected << u"CleaningStatusTips"_s << u"CleaningStatusTipsEnd"_s << u"CleanSystemTipEnd"_s;
    shell.posted.removeAll(u"AddAlertItem"_s);
    QCOMPARE(shell.posted, expected);
    QVERIFY(!results->cleaningResultsWindow()->isVisible());
    QVERIFY(shell.launches.isEmpty());
}

void tst_cleaningchecks::daemonRestarts_data()
{
    QTest::addColumn<QString>("systemVersion"); // "" none
    QTest::addColumn<QStringList>("restarted");

    const QStringList both{"cfprefsd", "sharedfilelistd"};
    QTest::newRow("10.8") << "10.8" << QStringList();
    QTest::newRow("10.9") << "10.9" << QStringList{"cfprefsd"};
    QTest::newRow("10.10.5") << "10.10.5" << QStringList{"cfprefsd"};
    QTest::newRow("10.11") << "10.11" << both;
    QTest::newRow("10.15.7") << "10.15.7" << both;
    QTest::newRow("11.0") << "11.0" << QStringList{"cfprefsd"};
    QTest::newRow("13.4") << "13.4" << QStringList{"cfprefsd"};
    QTest::newRow("unknown version") << "" << QStringList();
}

void tst_cleaningchecks::daemonRestarts()
{
    QFETCH(QString, systemVersion);
    QFETCH(QStringList, restarted);

    Shell shell;
    if (!systemVersion.isEmpty())
        QVERIFY(shell.home.setSystemVersion(systemVersion));
    // Never the real tool, even if the recorder were bypassed.
    const QString harmless = QStandardPaths::findExecutable(u"true"_s);
    QVERIFY(!harmless.isEmpty());
    RestartTool::setToolPath(harmless);
    const auto restoreTool = qScopeGuard([] { RestartTool::setToolPath(u"/usr/bin/killall"_s); });

    // As the modules ask, during a run.
    auto &center = platform::NotificationCenter::defaultCenter();
    center.post(u"CFPrefsdNeedsRestartNotification"_s);
    center.post(u"SharedfilelistdNeedsRestartNotification"_s);
    shell.results()->displayShredResults();

    QList<QStringList> expected;
    for (const QString &daemon : restarted)
        expected.append({harmless, u"-SIGTERM"_s, daemon});
    QCOMPARE(shell.launches, expected);
    QVERIFY(shell.waitForSummaryEnd());
}

void tst_cleaningchecks::runningApplicationRequests_data()
{
    QTest::addColumn<QList<Row>>("rows");
    QTest::addColumn<QStringList>("requested"); // "identifier/name" of each request, in order
    QTest::addColumn<bool>("runs");

    const Row a1{"Tester History", "Tester", "com.example.tester", true};
    const Row a2{"Tester Cache", "Tester", "com.example.tester", true};
    const Row aOff{"Tester Cookies", "Tester", "com.example.tester", false};
    const Row b1{"Other History", "Other", "com.example.other", true};
    const Row bOff{"Other Cache", "Other", "com.example.other", false};
    const Row flash{"Flash Player Settings", "Flash Cookies", "FlashCookies", true};
    const Row flashOff{"Flash Player Settings", "Flash Cookies", "FlashCookies", false};

    QTest::newRow("one request per application")
        << QList<Row>{a1, b1, a2} << QStringList{"com.example.tester/Tester", "com.example.other/Other"} << true;
    QTest::newRow("unticked applications not asked")
        << QList<Row>{a1, bOff, aOff} << QStringList{"com.example.tester/Tester"} << true;
    QTest::newRow("flash never asked, still cleaned") << QList<Row>{flash, bOff} << QStringList() << true;
    QTest::newRow("nothing ticked") << QList<Row>{aOff, flashOff} << QStringList() << false;
}

// The Clean action's own check: one alert request per application of the ticked rows, then
// the run (no application here is running), or "No Items Selected".
void tst_cleaningchecks::runningApplicationRequests()
{
    QFETCH(QList<Row>, rows);
    QFETCH(QStringList, requested);
    QFETCH(bool, runs);

    Shell shell;
    shell.addRows(rows);
    // The test answers for the modules of these rows, as a module cleaning in place does; the
    // Flash row goes to the real Flash cookies module, which answers for its own rows.
    QObject modules;
    for (const QString &app : {u"Tester"_s, u"Other"_s})
        platform::NotificationCenter::defaultCenter().addObserver(
            &modules, keys::cleanRequestName(app), [](const platform::Notification &n) {
                QVariantMap answer = n.userInfo;
                answer.insert(u"didClean"_s, true);
                platform::NotificationCenter::defaultCenter().post(u"CleaningStatusUpdateNotification"_s, nullptr,
                                                                   answer);
            });
    ResultsController *results = shell.results();
    results->setShowingScanResults(true);

    results->shredAction();

    QStringList asked;
    for (const QVariantMap &request : std::as_const(shell.runRequests))
        asked << request.value(u"alertItemIdentifier"_s).toString() + QLatin1Char('/')
                + request.value(u"alertItemName"_s).toString();
    QCOMPARE(asked, requested);
    QCOMPARE(results->isShredButtonClicked(), runs);
    QCOMPARE(!shell.alerts.isEmpty() && shell.alerts.last().message == u"No Items Selected"_s, !runs);
    if (!runs)
        return;
    QVERIFY(shell.waitForSummaryEnd());
    int ticked = 0;
    for (const Row &row : rows)
        ticked += row.checked;
    // Every ticked row had its turn and its answer; the rest were skipped.
    QCOMPARE(results->shreddedItemCount() + results->problemItemCount(), ticked);
    QCOMPARE(results->skippedItemCount(), rows.size() - ticked);
}

void tst_cleaningchecks::cleanRun_data()
{
    QTest::addColumn<QStringList>("files");     // Safari traces below Library/, 5000 bytes each
    QTest::addColumn<QStringList>("unchecked"); // rows the user unticks before Clean
    QTest::addColumn<int>("cookieAnswer");
    QTest::addColumn<bool>("runs");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QStringList>("countLines");

    const int yes = platform::Alert::FirstButtonReturn;
    const int skip = platform::Alert::SecondButtonReturn;
    QTest::newRow("one row cleaned") << QStringList{"Safari/History.plist"} << QStringList() << yes << true
                                     << "Cleaning Successful" << QStringList{"1 threat cleaned", "0 threats skipped"};
    QTest::newRow("one of two unticked") << QStringList{"Safari/History.plist", "Safari/Downloads.plist"}
                                         << QStringList{"Safari Download History"} << yes << true
                                         << "Cleaning Successful"
                                         << QStringList{"1 threat cleaned", "1 threat skipped"};
    QTest::newRow("cookies skipped, history cleaned")
        << QStringList{"Safari/History.plist", "Cookies/Cookies.plist"} << QStringList() << skip << true
        << "Cleaning Successful" << QStringList{"1 threat cleaned", "1 threat skipped"};
    QTest::newRow("cookies cleaned too") << QStringList{"Safari/History.plist", "Cookies/Cookies.plist"}
                                         << QStringList() << yes << true << "Cleaning Successful"
                                         << QStringList{"2 threats cleaned", "0 threats skipped"};
    QTest::newRow("nothing ticked") << QStringList{"Safari/History.plist"} << QStringList{"Safari Browsing History"}
                                    << yes << false << QString() << QStringList();
    QTest::newRow("skipping cookies leaves nothing")
        << QStringList{"Cookies/Cookies.plist"} << QStringList() << skip << false << QString() << QStringList();
}

// A real scan and clean of Safari's traces, from the Clean button to the summary.
void tst_cleaningchecks::cleanRun()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, unchecked);
    QFETCH(int, cookieAnswer);
    QFETCH(bool, runs);
    QFETCH(QString, heading);
    QFETCH(QStringList, countLines);

    Shell shell;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    for (const char *key : {"safariBrowsing", "safariDownloads", "safariCookies"})
        defaults.setBool(true, QLatin1String(key));
    defaults.setBool(false, u"enableSecureDelete"_s);
    for (const QString &file : files)
        QVERIFY(shell.home.writeFile(u"Library/"_s + file, QByteArray(5000, 'x')));
    AppController *app = shell.ui->appControl();
    QVERIFY(shell.waitForLocations());
    app->scan();
    shell.hideMainWindow();
    ResultsController *results = shell.results();
    QCOMPARE(results->resultsArrayController()->count(), files.size());
    QVERIFY(results->showingScanResults());
    for (const resultItemPtr &row : results->resultsArrayController()->arrangedObjects())
        if (unchecked.contains(row->resultItemName()))
            row->setResultItemIsChecked(false);
    shell.answer = cookieAnswer;
    shell.alerts.clear();
    QStringList textsBefore;
    for (const resultItemPtr &row : results->resultsArrayController()->arrangedObjects())
        textsBefore << row->resultItemStatusText();

    results->shredButton()->click();

    if (!runs) {
        QCOMPARE(shell.alerts.last().message, u"No Items Selected"_s);
        QCOMPARE(shell.alerts.last().informative, u"Please make sure at least one item is selected for cleaning."_s);
        QCOMPARE(shell.alerts.last().buttons, QStringList{u"OK"_s});
        QVERIFY(!results->isShredButtonClicked());
        QVERIFY(shell.runRequests.isEmpty());
        // The rows stay as they were left (unticked by the user or the warning), statuses untouched.
        QStringList textsAfter;
        for (const resultItemPtr &row : results->resultsArrayController()->arrangedObjects()) {
            QCOMPARE(row->resultItemIsChecked(), std::optional<bool>(false));
            textsAfter << row->resultItemStatusText();
        }
        QCOMPARE(textsAfter, textsBefore);
        QVERIFY(!results->isDoneCleaning());
        return;
    }

    // One request per application before the run, none for rows that are not ticked.
    QCOMPARE(shell.runRequests.size(), 1);
    QCOMPARE(shell.runRequests.first().value(u"alertItemIdentifier"_s).toString(), u"com.apple.Safari"_s);
    QCOMPARE(shell.runRequests.first().value(u"alertItemName"_s).toString(), u"Safari"_s);
    QVERIFY(shell.waitForSummaryEnd());
    QVERIFY(results->isDoneCleaning());
    QCOMPARE(results->cleaningStatusTextField()->text(), heading);
    const QStringList lines = results->cleaningOutput()->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.mid(0, 2), countLines);
    const quint64 total = results->shreddedItemTotalSize();
    QVERIFY(total >= 5000);
    QCOMPARE(lines[2], u"Approximately %1 of files cleaned"_s.arg(CleaningSummary::sizeText(total)));
    QCOMPARE(lines[3], QString());
    const QString converted = CleaningSummary::sizeText(total).replace(QLatin1Char(' '), QLatin1Char('+'));
    QCOMPARE(results->shreddedItemTotalSizeConverted(), converted);
    QVERIFY(results->tweetLink()->text().contains(
        u"privacy+threat"_s + QLatin1String(results->shreddedItemCount() == 1 ? "+that+was" : "s+that+were")
        + u"+taking+up+"_s + converted));
    QVERIFY(!results->tweetLink()->isHidden());
    QCOMPARE(shell.modalWindows, QStringList{u"cleaningResultsWindow"_s});
    int left = 0;
    for (const QString &file : files)
        left += QFileInfo::exists(shell.home.path(u"Library/"_s + file));
    QCOMPARE(left, files.size() - results->shreddedItemCount());
}

QTEST_MAIN(tst_cleaningchecks)
#include "tst_cleaningchecks.moc"
