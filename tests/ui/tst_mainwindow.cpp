#include "core/FileController.h"
#include "core/Keys.h"
#include "core/LocationController.h"
#include "platform/gui/Alert.h"
#include "platform/gui/ChildWindows.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Bundle.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "support/BundleDefaults.h"
#include "support/FakeHome.h"
#include "targets/safari/SafariController.h"
#include "ui/alerts/AlertController.h"
#include "ui/main/AppController.h"
#include "ui/main/BrowserSync.h"
#include "ui/main/MainWindow.h"
#include "ui/results/ResultsController.h"

#include "ui_MainWindow.h"

#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <future>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString kQuitTitle = u"Are you sure you want to quit?"_s;
const QString kRunningText =
    u"Privacy threat cleaning is in progress. Once cleaning is complete, you will be notified of the results."_s;
const QString kWaitingText =
    u"There are privacy threats currently available for cleaning. You can start cleaning by clicking the Clean button"_s;
const QString kSyncTitle =
    u"When browser sync is enabled, your browsing data will continue to appear even after cleaning with Nimbrel."_s;

struct Shown
{
    QString message;
    QString informative;
    QStringList buttons;
    bool panel = false;
};

// The main window with the controllers it talks to, wired as the main interface file wires
// them, plus the real Safari module.
struct Shell
{
    LocationController locations;
    FileController files;
    ResultsController results;
    AlertController alert;
    MainWindow window;
    AppController app;
    SafariController safari;
    QObject observer;
    QStringList posted;
    int terminations = 0;

    Shell()
    {
        locations.awakeFromNib();
        alert.awakeFromNib();
        files.setResultsArrayController(results.resultsArrayController());
        results.setResultsTableView(window.form().resultsTableView);
        results.setAlertControl(&alert);
        results.awakeFromNib();
        app.setMainWindow(&window);
        app.setLocationArrayController(locations.locationArrayController());
        app.setAlertControl(&alert);
        app.setResultsControl(&results);
        app.setTerminator([this] { ++terminations; });
        safari.init();
        for (const char *name : {"ScanLocations", "AddAlertItem", "MainTips", "MainTipsEnd", "MainTipsZoom",
                                 "ResultsTips", "ResultsTipsEnd", "ResultsTipsZoom"})
            platform::NotificationCenter::defaultCenter().addObserver(
                &observer, QLatin1String(name), [this](const platform::Notification &n) { posted << n.name; });
    }
    ~Shell() { platform::Timer::fireAllPending(0); }

    void offer(const QString &ident, const QString &name)
    {
        platform::NotificationCenter::defaultCenter().post(keys::AddTargetLocation, nullptr,
                                                           {{keys::Ident, ident}, {keys::TargetName, name}});
    }
    void checkOnly(const QStringList &identifiers)
    {
        for (const auto &row : locations.locationArrayController()->arrangedObjects())
            row->setLocIsChecked(identifiers.contains(row->locIdentifier()));
    }
    void showWindow()
    {
        platform::NotificationCenter::defaultCenter().post(keys::DisplayMainWindow);
        platform::Timer::fireAllPending();
    }
};

QByteArray chromePrefs(const char *sync)
{
    return QByteArray(R"({"account_info":[{"account_id":"1234","email":"a@b.c"}],"sync":)") + sync + "}";
}

} // namespace

class tst_MainWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void displayMainWindow();
    void scanRefusedWithoutSelection_data();
    void scanRefusedWithoutSelection();
    void syncPanel_data();
    void syncPanel();
    void syncPanelNoGoesOn();
    void syncGuideAddress_data();
    void syncGuideAddress();
    void syncTests_data();
    void syncTests();
    void syncTestsSkipPipes_data();
    void syncTestsSkipPipes();
    void safariSync_data();
    void safariSync();
    void scanSwitchesToResults_data();
    void scanSwitchesToResults();
    void quitQuestion_data();
    void quitQuestion();
    void closeQuestion_data();
    void closeQuestion();
    void tipsAroundResizeAndZoom();
    void windowOutlivesController();

private:
    QList<Shown> m_shown;
    QList<int> m_answers;
    QList<QUrl> m_urls;
};

void tst_MainWindow::init()
{
    m_shown.clear();
    m_answers.clear();
    m_urls.clear();
    platform::Alert::setResponder([this](const platform::Alert &alert, bool &) {
        m_shown.append({alert.messageText(), alert.informativeText(), alert.buttonTitles(), alert.isPanel()});
        return m_answers.isEmpty() ? platform::Alert::FirstButtonReturn : m_answers.takeFirst();
    });
    platform::Workspace::sharedWorkspace().setURLRecorder([this](const QUrl &url) { m_urls.append(url); });
}

void tst_MainWindow::cleanup()
{
    platform::Alert::setResponder({});
    platform::Workspace::sharedWorkspace().setURLRecorder({});
}

void tst_MainWindow::displayMainWindow()
{
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    Shell shell;
    QVERIFY(!shell.window.form().actionScan->isEnabled());
    platform::NotificationCenter::defaultCenter().post(keys::DisplayMainWindow);
    QVERIFY(shell.window.isVisible());
    QCOMPARE(shell.window.contentView(), shell.window.mainView());
    QVERIFY(shell.app.betaBranding()->isHidden());
    QCOMPARE(shell.window.mainView()->minimumSize(), QSize(255, 412));
    QCOMPARE(shell.window.contentBorderThickness(), 34.0);

    // The tips and the Scan command wait for the start-up timer.
    const auto timers = platform::Timer::pendingTimers();
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers[0]->timeInterval(), 0.15);
    QVERIFY(!shell.posted.contains(u"MainTips"_s));
    QVERIFY(!shell.app.setupComplete());
    QVERIFY(!shell.app.validateMenuItem(shell.app.scanMenuItem()));
    platform::Timer::fireAllPending();
    QCOMPARE(shell.posted, QStringList({"MainTips"}));
    QVERIFY(shell.app.setupComplete());
    QVERIFY(shell.window.form().actionScan->isEnabled());
}

void tst_MainWindow::scanRefusedWithoutSelection_data()
{
    QTest::addColumn<bool>("withRows");
    QTest::newRow("empty list") << false;
    QTest::newRow("no row checked") << true;
}

void tst_MainWindow::scanRefusedWithoutSelection()
{
    QFETCH(bool, withRows);
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    Shell shell;
    if (withRows) {
        shell.offer(u"com.apple.Preview"_s, u"Preview"_s);
        shell.offer(u"com.google.Chrome"_s, u"Chrome"_s);
        shell.checkOnly({});
    }
    shell.showWindow();
    shell.posted.clear();
    shell.window.form().scanButton->click();

    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].message, u"No Apps Selected"_s);
    QCOMPARE(m_shown[0].informative, u"Please make sure at least one app is selected to scan for privacy threats."_s);
    QCOMPARE(m_shown[0].buttons, QStringList({"OK"}));
    QVERIFY(!m_shown[0].panel);
    QVERIFY(shell.posted.isEmpty()); // no alert request, no scan
    QCOMPARE(shell.window.contentView(), shell.window.mainView());
    QVERIFY(shell.app.enableScanMenu());
}

void tst_MainWindow::syncPanel_data()
{
    QTest::addColumn<QStringList>("checked");
    QTest::addColumn<QStringList>("synced");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("one of two synced is checked") << QStringList({"com.google.Chrome", "com.apple.Preview"})
                                                  << QStringList({"chrome", "firefox"}) << QStringList({"Chrome"});
    QTest::newRow("two checked and synced")
        << QStringList({"org.mozilla.firefox", "org.chromium.Chromium", "com.google.Chrome"})
        << QStringList({"chromium", "chrome"}) << QStringList({"Chrome", "Chromium"});
    QTest::newRow("synced but no browser checked")
        << QStringList({"com.apple.Preview"}) << QStringList({"chrome", "firefox"}) << QStringList();
    QTest::newRow("checked but not synced")
        << QStringList({"com.google.Chrome", "org.mozilla.firefox"}) << QStringList() << QStringList();
}

void tst_MainWindow::syncPanel()
{
    QFETCH(QStringList, checked);
    QFETCH(QStringList, synced);
    QFETCH(QStringList, listed);
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    if (synced.contains(u"chrome"_s))
        QVERIFY(home.writeFile(u"Library/Application Support/Google/Chrome/Default/Preferences"_s,
                               chromePrefs(R"({"tabs":true})")));
    if (synced.contains(u"chromium"_s))
        QVERIFY(home.writeFile(u"Library/Application Support/Chromium/Default/Preferences"_s,
                               chromePrefs(R"({"keep_everything_synced":true})")));
    if (synced.contains(u"firefox"_s))
        QVERIFY(home.writeFile(u"Library/Application Support/Firefox/Profiles/ab12.default/prefs.js"_s,
                               "user_pref(\"services.sync.account\", \"me@example.com\");\n"));
    Shell shell;
    shell.offer(u"com.google.Chrome"_s, u"Chrome"_s);
    shell.offer(u"org.chromium.Chromium"_s, u"Chromium"_s);
    shell.offer(u"org.mozilla.firefox"_s, u"Firefox"_s);
    shell.offer(u"com.apple.Preview"_s, u"Preview"_s);
    shell.checkOnly(checked);
    shell.showWindow();
    shell.posted.clear();

    shell.app.scan();
    // Every checked row is put to the alert first, whatever follows.
    QCOMPARE(shell.posted.count(u"AddAlertItem"_s), checked.size());
    if (listed.isEmpty()) {
        QVERIFY(m_shown.isEmpty());
        QVERIFY(m_urls.isEmpty());
        QVERIFY(shell.posted.contains(keys::ScanLocations));
        return;
    }
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(m_shown[0].panel);
    QCOMPARE(m_shown[0].message, kSyncTitle);
    QString text = u"Browser sync is enabled for the following browser%1:\n\n"_s.arg(listed.size() == 1 ? "" : "s");
    for (const QString &name : listed)
        text += name + "\n";
    text += u"\nWould you like to view instructions on disabling browser sync?"_s;
    QCOMPARE(m_shown[0].informative, text);
    QCOMPARE(m_shown[0].buttons, QStringList({"Yes", "No"}));

    // "Yes" opens the guide and starts nothing; the next Scan asks again.
    QCOMPARE(m_urls, QList<QUrl>({QUrl(u"https://www.example.com/guide_nb#nb_browsersync"_s)}));
    QVERIFY(!shell.posted.contains(keys::ScanLocations));
    QCOMPARE(shell.window.contentView(), shell.window.mainView());
    shell.app.scan();
    QCOMPARE(m_shown.size(), 2);
    QVERIFY(!shell.posted.contains(keys::ScanLocations));
}

void tst_MainWindow::syncPanelNoGoesOn()
{
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    QVERIFY(home.writeFile(u"Library/Application Support/Google/Chrome/Default/Preferences"_s,
                           chromePrefs(R"({"sessions":true})")));
    Shell shell;
    shell.offer(u"com.google.Chrome"_s, u"Chrome"_s);
    shell.showWindow();
    m_answers = {platform::Alert::SecondButtonReturn};
    shell.app.scan();
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(m_urls.isEmpty());
    QVERIFY(shell.posted.contains(keys::ScanLocations));
    QCOMPARE(shell.window.contentView(), shell.window.resultsView());
}

void tst_MainWindow::syncGuideAddress_data()
{
    QTest::addColumn<QString>("site");
    QTest::newRow("plain") << "http://127.0.0.1:9";
    QTest::newRow("trailing slash") << "http://127.0.0.1:9/";
    QTest::newRow("two slashes") << "http://127.0.0.1:9//";
}

void tst_MainWindow::syncGuideAddress()
{
    QFETCH(QString, site);
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    platform::UserDefaults::standardUserDefaults().setObject(site, u"siteHost"_s);
    Shell shell;
    shell.app.showBrowserSyncInstructions();
    QCOMPARE(m_urls, QList<QUrl>({QUrl(u"http://127.0.0.1:9/guide_nb#nb_browsersync"_s)}));
}

void tst_MainWindow::syncTests_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expected");
    const QString chrome = u"Library/Application Support/Google/Chrome/Default/Preferences"_s;
    const QString chromium = u"Library/Application Support/Chromium/Default/Preferences"_s;
    const QString firefox = u"Library/Application Support/Firefox/Profiles/x1y2.default-release/prefs.js"_s;
    const QStringList none;
    const QStringList chromeOnly{"com.google.Chrome"};
    const QStringList firefoxOnly{"org.mozilla.firefox"};

    QTest::newRow("chrome tabs") << chrome << chromePrefs(R"({"tabs":true})") << chromeOnly;
    QTest::newRow("chrome typed urls") << chrome << chromePrefs(R"({"typed_urls":true,"tabs":false})") << chromeOnly;
    QTest::newRow("chrome all off") << chrome << chromePrefs(R"({"tabs":false,"sessions":false})") << none;
    QTest::newRow("chrome suppressed") << chrome << chromePrefs(R"({"suppress_start":true,"tabs":true})") << none;
    QTest::newRow("chrome no sync key") << chrome << QByteArray(R"({"account_info":[{"account_id":"1"}]})") << none;
    QTest::newRow("chrome account without id")
        << chrome << QByteArray(R"({"account_info":[{"email":"a@b.c"}],"sync":{"tabs":true}})") << none;
    QTest::newRow("chrome null account id")
        << chrome << QByteArray(R"({"account_info":[{"account_id":null}],"sync":{"tabs":true}})") << chromeOnly;
    QTest::newRow("chrome empty account list")
        << chrome << QByteArray(R"({"account_info":[],"sync":{"tabs":true}})") << none;
    QTest::newRow("chrome account info not a list")
        << chrome << QByteArray(R"({"account_info":{"account_id":"1"},"sync":{"tabs":true}})") << none;
    QTest::newRow("chrome sync not an object")
        << chrome << QByteArray(R"({"account_info":[{"account_id":"1"}],"sync":true})") << none;
    QTest::newRow("chrome not json") << chrome << QByteArray("{\"account_info\": [") << none;
    QTest::newRow("chrome top level list") << chrome << QByteArray("[1,2]") << none;
    QTest::newRow("chrome not text") << chrome << QByteArray("\xff\xfe\x00\xd8", 4) << none;
    // Settings of a size no browser writes are not read: read whole, their text and parsed
    // form would cost the Scan many times their size.
    QTest::newRow("chrome settings past the read cap")
        << chrome << chromePrefs(R"({"tabs":true})") + QByteArray(BrowserSync::maxPrefsFileBytes, ' ') << none;
    QTest::newRow("chromium") << chromium << chromePrefs(R"({"history_delete_directives":true})")
                              << QStringList{"org.chromium.Chromium"};

    const QByteArray account = "user_pref(\"services.sync.account\", \"me@example.com\");\n";
    const QByteArray historyOff = "user_pref(\"services.sync.engine.history\", false);\n";
    const QByteArray tabsOff = "user_pref(\"services.sync.engine.tabs\", false);\n";
    QTest::newRow("firefox account") << firefox << account << firefoxOnly;
    QTest::newRow("firefox history off only") << firefox << (account + historyOff) << firefoxOnly;
    QTest::newRow("firefox history and tabs off") << firefox << (historyOff + account + tabsOff) << none;
    QTest::newRow("firefox indented account") << firefox << ("  " + account) << none;
    QTest::newRow("firefox upper case") << firefox << account.toUpper() << firefoxOnly;
    QTest::newRow("firefox carriage returns")
        << firefox << QByteArray("// prefs\r" + account.trimmed() + "\r") << firefoxOnly;
    QTest::newRow("firefox no account") << firefox << (historyOff + tabsOff) << none;
    QTest::newRow("firefox profile not default")
        << u"Library/Application Support/Firefox/Profiles/x1y2.work/prefs.js"_s << account << none;
}

void tst_MainWindow::syncTests()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expected);
    FakeHome home;
    QVERIFY(home.writeFile(file, content));
    Shell shell;
    QCOMPARE(shell.app.getSyncEnabledBrowsers(), expected);
}

void tst_MainWindow::syncTestsSkipPipes_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("chrome") << u"Library/Application Support/Google/Chrome/Default/Preferences"_s;
    QTest::newRow("firefox") << u"Library/Application Support/Firefox/Profiles/ab12.default/prefs.js"_s;
}

// A settings file that is a named pipe is not text: the Scan must not wait for a writer.
void tst_MainWindow::syncTestsSkipPipes()
{
    QFETCH(QString, file);
    FakeHome home;
    QVERIFY(home.makeDir(QFileInfo(file).path()));
    const QByteArray pipe = QFile::encodeName(home.path(file));
    QCOMPARE(::mkfifo(pipe.constData(), 0600), 0);
    auto answer = std::async(std::launch::async, [] { return BrowserSync::syncEnabledBrowsers(); });
    if (answer.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // Let the stuck reader see an end of file before failing.
        const int fd = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
        answer.wait();
        QFAIL("the sync test waited on a pipe");
    }
    QCOMPARE(answer.get(), QStringList());
}

void tst_MainWindow::safariSync_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<bool>("bookmarks");
    QTest::addColumn<bool>("expected");
    QTest::newRow("10.12 bookmarks") << "10.12.6" << true << true << true;
    QTest::newRow("10.10 bookmarks") << "10.10" << true << true << true;
    QTest::newRow("10.9") << "10.9.5" << true << true << false;
    QTest::newRow("11.0") << "11.0" << true << true << false;
    QTest::newRow("logged out") << "10.14" << false << true << false;
    QTest::newRow("bookmarks off") << "10.14" << true << false << false;
    QTest::newRow("no version") << "" << true << true << false;
}

void tst_MainWindow::safariSync()
{
    QFETCH(QString, version);
    QFETCH(bool, loggedIn);
    QFETCH(bool, bookmarks);
    QFETCH(bool, expected);
    FakeHome home;
    if (!version.isEmpty())
        QVERIFY(home.setSystemVersion(version));
    const QVariantList services{QVariantMap{{"Name", "MAIL"}, {"Enabled", true}},
                                QVariantMap{{"Name", "BOOKMARKS"}, {"Enabled", bookmarks}}};
    const QVariantList accounts{QVariantMap{{"LoggedIn", false}},
                                QVariantMap{{"LoggedIn", loggedIn}, {"Services", services}}};
    QVERIFY(home.writePlist(u"Library/Preferences/MobileMeAccounts.plist"_s, QVariantMap{{"Accounts", accounts}}));
    Shell shell;
    QCOMPARE(shell.app.getSyncEnabledBrowsers(), expected ? QStringList{"com.apple.Safari"} : QStringList());
}

void tst_MainWindow::scanSwitchesToResults_data()
{
    // The offscreen screen is 800 points wide: the results window fits only near its left edge.
    QTest::addColumn<int>("left");  // where the main window is moved first, -1 for the centre
    QTest::addColumn<bool>("room"); // the 172-point move leaves the window on the screen
    QTest::newRow("room on the left") << 190 << true;
    QTest::newRow("centred on a small screen") << -1 << false;
    QTest::newRow("at the right edge") << 500 << false;
}

void tst_MainWindow::scanSwitchesToResults()
{
    QFETCH(int, left);
    QFETCH(bool, room);
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    home.addApplication(u"com.apple.Safari"_s, u"Safari"_s);
    QVERIFY(home.writeFile(u"Library/Safari/History.plist"_s, QByteArray(9000, 'h')));
    QVERIFY(home.writeFile(u"Library/Safari/History.db"_s, QByteArray(100, 'd')));
    // cookies are off by default: their file is not offered
    QVERIFY(home.writeFile(u"Library/Cookies/Cookies.plist"_s, QByteArray(100, 'c')));
    Shell shell;
    shell.offer(u"com.apple.Preview"_s, u"Preview"_s); // installed nowhere
    platform::NotificationCenter::defaultCenter().post(keys::CheckTargetLocations);
    QCOMPARE(shell.locations.locationArrayController()->count(), 2);
    shell.showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&shell.window));
    if (left >= 0)
        shell.window.move(left, shell.window.y());
    const QRect before = shell.window.geometry();
    const QSize viewBefore = shell.window.mainView()->size();
    const QSize resultsSize = shell.window.resultsView()->size();
    shell.posted.clear();

    shell.window.form().actionScan->trigger();
    QCOMPARE(shell.posted.count(keys::ScanLocations), 1);
    QCOMPARE(shell.window.contentView(), shell.window.resultsView());
    QStringList rows;
    for (const auto &row : shell.results.resultsArrayController()->arrangedObjects()) {
        QCOMPARE(row->resultItemAppName(), u"Safari"_s);
        rows << row->resultItemName();
    }
    QCOMPARE(rows, QStringList({"Safari Browsing History", "Safari Browsing History Database"}));
    QVERIFY(shell.results.showingScanResults());

    // The top edge stays, the left edge moves 172 to the left, the window grows by the views'
    // difference, and the content is at least 600 x 400; but the window stays on the screen,
    // Clean button and all.
    const QRect after = shell.window.geometry();
    const QRect screen = shell.window.screen()->availableGeometry();
    QVERIFY2(screen.contains(shell.window.frameGeometry()),
             qPrintable(u"%1,%2 %3x%4"_s.arg(after.x()).arg(after.y()).arg(after.width()).arg(after.height())));
    const QPushButton *clean = shell.window.form().shredButton;
    QTRY_VERIFY(screen.contains(QRect(clean->mapToGlobal(QPoint(0, 0)), clean->size())));
    QCOMPARE(after.top(), before.top());
    if (room)
        QCOMPARE(after.left(), before.left() - 172);
    else
        QCOMPARE(shell.window.frameGeometry().right(), screen.right());
    QCOMPARE(after.width(), before.width() + resultsSize.width() - viewBefore.width());
    QCOMPARE(after.height(), before.height() + resultsSize.height() - viewBefore.height());
    QTRY_VERIFY(shell.window.resultsView()->width() >= 600 && shell.window.resultsView()->height() >= 400);
    QCOMPARE(shell.window.resultsView()->minimumSize(), QSize(600, 400));

    // The results tips follow after the timer; the Scan command stays off for good.
    QVERIFY(!shell.posted.contains(u"ResultsTips"_s));
    platform::Timer::fireAllPending();
    QVERIFY(shell.posted.contains(u"ResultsTips"_s));
    QVERIFY(!shell.window.form().actionScan->isEnabled());
    QVERIFY(!shell.app.validateMenuItem(shell.app.scanMenuItem()));
    emit shell.window.form().menuFile->aboutToShow();
    QVERIFY(!shell.window.form().actionScan->isEnabled());
}

void tst_MainWindow::quitQuestion_data()
{
    QTest::addColumn<bool>("shredding");
    QTest::addColumn<bool>("done");
    QTest::addColumn<bool>("showing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("quits");
    const int cancel = platform::Alert::FirstButtonReturn;
    const int quit = platform::Alert::SecondButtonReturn;
    QTest::newRow("idle") << false << false << false << cancel << QString() << true;
    QTest::newRow("running, cancel") << true << false << false << cancel << kRunningText << false;
    QTest::newRow("running, quit") << true << false << true << quit << kRunningText << true;
    QTest::newRow("waiting, cancel") << false << false << true << cancel << kWaitingText << false;
    QTest::newRow("waiting, quit") << false << false << true << quit << kWaitingText << true;
    QTest::newRow("run ended") << true << true << false << cancel << QString() << true;
}

void tst_MainWindow::quitQuestion()
{
    QFETCH(bool, shredding);
    QFETCH(bool, done);
    QFETCH(bool, showing);
    QFETCH(int, answer);
    QFETCH(QString, text);
    QFETCH(bool, quits);
    FakeHome home;
    Shell shell;
    shell.results.m_isShredding = shredding;
    shell.results.m_doneShredding = done;
    // Set directly: results mode on an empty table is the empty-scan summary, not waiting rows.
    shell.results.m_isShowingScanResults = showing;
    m_answers = {answer};
    QCOMPARE(shell.app.shouldAppQuit(), quits);
    if (text.isEmpty()) {
        QVERIFY(m_shown.isEmpty());
        return;
    }
    QCOMPARE(m_shown.size(), 1);
    QVERIFY(m_shown[0].panel);
    QCOMPARE(m_shown[0].message, kQuitTitle);
    QCOMPARE(m_shown[0].informative, text);
    QCOMPARE(m_shown[0].buttons, QStringList({"Cancel", "Quit"}));

    // Quitting closes the windows: once agreed, the close asks nothing more and does not
    // start a second quit.
    shell.window.show();
    QCOMPARE(shell.window.close(), quits);
    QCOMPARE(m_shown.size(), quits ? 1 : 2);
    QCOMPARE(shell.terminations, 0);
}

void tst_MainWindow::closeQuestion_data()
{
    QTest::addColumn<bool>("showing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::newRow("nothing waits") << false << int(platform::Alert::FirstButtonReturn) << true;
    QTest::newRow("results wait, cancel") << true << int(platform::Alert::FirstButtonReturn) << false;
    QTest::newRow("results wait, quit") << true << int(platform::Alert::SecondButtonReturn) << true;
}

void tst_MainWindow::closeQuestion()
{
    QFETCH(bool, showing);
    QFETCH(int, answer);
    QFETCH(bool, closes);
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    Shell shell;
    shell.showWindow();
    shell.results.m_isShowingScanResults = showing;
    m_answers = {answer};
    QCOMPARE(shell.window.close(), closes);
    QCOMPARE(m_shown.size(), showing ? 1 : 0);
    if (showing)
        QCOMPARE(m_shown[0].informative, kWaitingText);
    QCOMPARE(shell.window.isVisible(), !closes);
    QCOMPARE(shell.terminations, closes ? 1 : 0);
    QCOMPARE(shell.app.isTerminateNow(), showing && closes);

    // After "Quit" in the close question, the quit reply asks nothing more.
    if (showing && closes) {
        QVERIFY(shell.app.shouldAppQuit());
        QCOMPARE(m_shown.size(), 1);
    }
    // After "Cancel" the quit question is asked afresh.
    if (showing && !closes) {
        m_answers = {platform::Alert::FirstButtonReturn};
        QVERIFY(!shell.app.shouldAppQuit());
        QCOMPARE(m_shown.size(), 2);
    }
}

void tst_MainWindow::tipsAroundResizeAndZoom()
{
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    Shell shell;
    auto &center = platform::NotificationCenter::defaultCenter();
    const QString start = u"NSWindowWillStartLiveResizeNotification"_s;
    const QString end = u"NSWindowDidEndLiveResizeNotification"_s;
    shell.showWindow();
    QVERIFY(QTest::qWaitForWindowActive(&shell.window));

    // No tip attached: a resize hides nothing but shows the tips again.
    shell.posted.clear();
    center.post(start);
    center.post(end);
    QCOMPARE(shell.posted, QStringList({"MainTips"}));

    QWidget tip(nullptr, Qt::Tool);
    platform::ChildWindows::addChildWindow(&shell.window, &tip);
    QVERIFY(shell.window.hasChildWindows());
    shell.posted.clear();
    center.post(start);
    center.post(end);
    QCOMPARE(shell.posted, QStringList({"MainTipsEnd", "MainTips"}));

    // Zooming in: hide now, the zoom variants after 0.05 s; live resizes meanwhile are ignored.
    shell.posted.clear();
    QVERIFY(shell.app.windowShouldZoom());
    QVERIFY(shell.app.zoomInProgress());
    QCOMPARE(shell.posted, QStringList({"MainTipsEnd"}));
    const auto timers = platform::Timer::pendingTimers();
    QCOMPARE(timers.size(), 1);
    QCOMPARE(timers[0]->timeInterval(), 0.05);
    center.post(start);
    center.post(end);
    QCOMPARE(shell.posted, QStringList({"MainTipsEnd"}));
    platform::Timer::fireAllPending();
    QCOMPARE(shell.posted, QStringList({"MainTipsEnd", "MainTipsZoom"}));
    QVERIFY(shell.app.isZoomed());
    QVERIFY(!shell.app.zoomInProgress());

    // The settings' tips switch works whether or not the window is key.
    shell.posted.clear();
    center.post(u"ToggleTipsOff"_s);
    center.post(u"ToggleTipsOn"_s);
    QCOMPARE(shell.posted, QStringList({"MainTipsEnd", "MainTipsZoom"}));
}

// The main interface frees the window after its controller: the window's delegate calls must
// not reach the freed controller.
void tst_MainWindow::windowOutlivesController()
{
    FakeHome home;
    MainWindow window;
    auto app = std::make_unique<AppController>();
    int terminations = 0;
    app->setMainWindow(&window);
    app->setTerminator([&terminations] { ++terminations; });
    app.reset();
    window.show();
    window.zoom();
    QVERIFY(window.close());
    QCOMPARE(terminations, 0);
}

QTEST_MAIN(tst_MainWindow)
#include "tst_mainwindow.moc"
