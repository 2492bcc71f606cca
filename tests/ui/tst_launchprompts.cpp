#include "core/AtomicReplace.h"
#include "core/FileController.h"
#include "core/Keys.h"
#include "core/ShredController.h"
#include "core/TemporaryFolder.h"
#include "platform/files/FileManager.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Image.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "support/BundleDefaults.h"
#include "support/FakeHome.h"
#include "support/ScratchDisk.h"
#include "support/ThreadChecker.h"
#include "ui/launch/AlertTextPrompt.h"
#include "ui/launch/PromoPanel.h"
#include "ui/launch/RatingPrompt.h"
#include "ui/launch/TempCleaningPanel.h"
#include "ui/launch/TempCleaningPrompt.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"

#include "LocalHttpServer.h"

#include "support/CiSkip.h"
#include "ui_MainWindow.h"

#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::UserDefaults;

namespace {

struct Shown
{
    QString message;
    QString informative;
    QStringList buttons;
    bool panel = false;
    bool suppressionBox = false;
    platform::Alert::Style style = platform::Alert::Style::Informational;
};

// What the temporary-files panel showed when its result came in.
struct PanelState
{
    QString text;
    bool imageShown = false;
    QImage image;
    bool progressShown = true;
    bool wasSheet = false;
    bool finished = false;
};

// The main window's controller wired to the real file service, removal engine and panels,
// with the download server pointed at a local HTTP server.
struct Shell
{
    FakeHome home;
    bool prepared;      // before anything reads the settings store of the home
    bool ready = false; // the shipped settings are registered
    LocalHttpServer server;
    FileController files;
    ShredController shred;
    MainWindow window;
    TempCleaningPanel tempPanel;
    PromoPanel promo;
    AppController app;
    QObject observer;
    QStringList posted;

    explicit Shell(const std::function<void(const FakeHome &)> &prepare = {})
        : prepared([&] {
            if (prepare)
                prepare(home);
            return true;
        }())
    {
        ready = registerBundleDefaults();
        defaults().setObject(server.address(), u"downloadHost"_s);
        shred.setFileControl(&files);
        app.setMainWindow(&window);
        app.setFileControl(&files);
        app.setShredControl(&shred);
        app.setTempCleaningPanel(&tempPanel);
        app.setQzPanel(&promo);
        app.setTerminator([] {});
        app.ratingPrompt()->setApplicationVersion(u"2.1"_s);
        for (const char *name : {"TempCleaningFailTip", "TempCleaningFailTipEnd", "MainTips"})
            platform::NotificationCenter::defaultCenter().addObserver(&observer, QLatin1String(name),
                                                                      [this](const platform::Notification &n) {
                                                                          if (n.object == &app)
                                                                              posted << n.name;
                                                                      });
    }
    ~Shell() { platform::Timer::fireAllPending(0); }

    static UserDefaults &defaults() { return UserDefaults::standardUserDefaults(); }
    void setState(bool rated, const QString &ratedVersion, bool declined, int runCount)
    {
        defaults().setBool(rated, u"versionIsRated"_s);
        if (!ratedVersion.isEmpty())
            defaults().setObject(ratedVersion, u"ratedVersionNumber"_s);
        defaults().setBool(declined, u"declinedRating"_s);
        defaults().setInteger(runCount, u"runCount"_s);
    }
    // Shows the main window and lets its start-up timer run the launch prompts.
    void launch()
    {
        platform::NotificationCenter::defaultCenter().post(keys::DisplayMainWindow);
        platform::Timer::fireAllPending();
    }
    // Waits for the reply of the alert-text fetch that is running (true when it was handled).
    bool waitForAlertText()
    {
        QSignalSpy handled(app.alertTextPrompt(), &AlertTextPrompt::alertTextHandled);
        return handled.wait(20000);
    }
    QString temporaryFolder() const { return FileController::temporaryFolderPath(); }
};

QImage imageOf(const QLabel *label)
{
    return label->pixmap().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage resource(const QString &name)
{
    const platform::ImagePtr image = platform::imageNamed(name);
    return image ? image->convertToFormat(QImage::Format_ARGB32_Premultiplied) : QImage();
}

// Runs `step` in a child process; true when the step killed it (SIGKILL) where it chose to.
bool killedDuring(const std::function<void()> &step)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        step();
        _exit(3);
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

QByteArray xmlList(const QVariantMap &map)
{
    return platform::PropertyList::fromVariant(map, platform::PropertyList::Format::Xml)
        .toData()
        .value_or(QByteArray());
}

QStringList entriesOf(const QString &folder)
{
    return platform::FileManager::defaultManager().contentsOfDirectoryAtPath(folder);
}

// What was set aside in a folder of ours: its entries but the marker that proves it ours.
QStringList setAsideIn(const QString &folder)
{
    QStringList entries = entriesOf(folder);
    entries.removeAll(u".nimbrel-folder"_s);
    return entries;
}

} // namespace

class tst_LaunchPrompts : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void compareVersions_data();
    void compareVersions();
    void ratingStatus_data();
    void ratingStatus();
    void ratingAlert_data();
    void ratingAlert();
    void alertTextDue_data();
    void alertTextDue();
    void alertTextReply_data();
    void alertTextReply();
    void promotionalFace_data();
    void promotionalFace();
    void pages_data();
    void pages();
    void leftoverFiles_data();
    void leftoverFiles();
    void leftoversOfAKilledClean_data();
    void leftoversOfAKilledClean();
    void cleaningPanelClosesOnlyWhenDone();

private:
    // Waits for the cleaning panel's result, notes it and closes the panel.
    void closePanelWhenDone(Shell &shell, PanelState &seen, int &modalRuns);

    QList<Shown> m_shown;
    QList<int> m_answers;
    bool m_tickSuppression = false;
    QList<QUrl> m_urls;
    std::function<void()> m_beforeAnswer;
};

void tst_LaunchPrompts::init()
{
    m_shown.clear();
    m_answers.clear();
    m_urls.clear();
    m_tickSuppression = false;
    m_beforeAnswer = nullptr;
    platform::Alert::setResponder([this](const platform::Alert &alert, bool &suppress) {
        m_shown.append({alert.messageText(), alert.informativeText(), alert.buttonTitles(), alert.isPanel(),
                        alert.showsSuppressionButton(), alert.alertStyle()});
        if (m_beforeAnswer)
            m_beforeAnswer();
        suppress = m_tickSuppression;
        return m_answers.isEmpty() ? platform::Alert::FirstButtonReturn : m_answers.takeFirst();
    });
    platform::Workspace::sharedWorkspace().setURLRecorder([this](const QUrl &url) { m_urls.append(url); });
}

void tst_LaunchPrompts::cleanup()
{
    platform::Alert::setResponder({});
    platform::Modal::setObserver({});
    platform::Workspace::sharedWorkspace().setURLRecorder({});
    platform::Workspace::sharedWorkspace().setURLOpener({});
}

void tst_LaunchPrompts::compareVersions_data()
{
    QTest::addColumn<QString>("newer");
    QTest::addColumn<QString>("older");
    QTest::addColumn<int>("result");
    QTest::newRow("missing patch is 0") << "2.1.0"
                                        << "2.1" << 0;
    QTest::newRow("newer minor") << "2.2"
                                 << "2.1" << 1;
    QTest::newRow("older patch against newer minor") << "2.0.9"
                                                     << "2.1" << -1;
    QTest::newRow("newer patch") << "2.1.1"
                                 << "2.1" << 1;
    QTest::newRow("numbers, not text") << "10.0"
                                       << "9.12" << 1;
    QTest::newRow("minor as number") << "2.10"
                                     << "2.9" << 1;
    QTest::newRow("leading integer of a component") << "2.1b3"
                                                    << "2.1" << 0;
    QTest::newRow("non-numeric counts 0") << "2.beta"
                                          << "2.0" << 0;
    QTest::newRow("fourth component ignored") << "2.1.0.7"
                                              << "2.1" << 0;
    QTest::newRow("older major") << "1.9.9"
                                 << "2.0" << -1;
    QTest::newRow("one component") << "3"
                                   << "3.0.0" << 0;
    QTest::newRow("one component, older") << "2"
                                          << "2.0.1" << -1;
    QTest::newRow("empty against version") << ""
                                           << "0.1" << -1;
    QTest::newRow("both empty") << ""
                                << "" << 0;
    QTest::newRow("huge component") << "99999999999999999999.0"
                                    << "2147483646.0" << 1;
    QTest::newRow("blanks before digits") << " 3. 1"
                                          << "3.1" << 0;
}

void tst_LaunchPrompts::compareVersions()
{
    QFETCH(QString, newer);
    QFETCH(QString, older);
    QFETCH(int, result);
    QCOMPARE(RatingPrompt::compareNewVersionNumber(newer, older), result);
    QCOMPARE(RatingPrompt::compareNewVersionNumber(older, newer), -result);
}

void tst_LaunchPrompts::ratingStatus_data()
{
    QTest::addColumn<bool>("rated");
    QTest::addColumn<QString>("ratedVersion");
    QTest::addColumn<bool>("declined");
    QTest::addColumn<int>("runCount");
    QTest::addColumn<QString>("running");
    QTest::addColumn<bool>("alert");
    QTest::addColumn<bool>("fetch");
    QTest::addColumn<bool>("ratedAfter");
    QTest::addColumn<int>("runCountAfter");
    QTest::newRow("rated, same version") << true << "2.1" << false << 12 << "2.1.0" << false << true << true << 12;
    QTest::newRow("rated, newer running") << true << "2.1" << false << 12 << "2.2" << false << false << false << 0;
    QTest::newRow("rated, older running") << true << "2.1" << false << 12 << "2.0.9" << false << true << true << 12;
    QTest::newRow("rated, no version kept") << true << "" << false << 12 << "2.1" << false << false << false << 0;
    QTest::newRow("not rated, 4 runs") << false << "" << false << 4 << "2.1" << false << false << false << 4;
    QTest::newRow("not rated, 5 runs") << false << "" << false << 5 << "2.1" << true << false << false << 0;
    QTest::newRow("not rated, 12 runs") << false << "" << false << 12 << "2.1" << true << false << false << 0;
    QTest::newRow("declined, 12 runs") << false << "" << true << 12 << "2.1" << false << true << false << 12;
}

void tst_LaunchPrompts::ratingStatus()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the alert text fetch");
    QFETCH(bool, rated);
    QFETCH(QString, ratedVersion);
    QFETCH(bool, declined);
    QFETCH(int, runCount);
    QFETCH(QString, running);
    QFETCH(bool, alert);
    QFETCH(bool, fetch);
    QFETCH(bool, ratedAfter);
    QFETCH(int, runCountAfter);
    Shell shell;
    QVERIFY(shell.ready);
    shell.server.body = "0";
    shell.setState(rated, ratedVersion, declined, runCount);
    shell.app.ratingPrompt()->setApplicationVersion(running);
    m_answers = {platform::Alert::SecondButtonReturn}; // "Not Now"

    shell.app.checkAppRatingStatus();
    QCOMPARE(m_shown.size(), alert ? 1 : 0);
    QCOMPARE(shell.app.alertTextPrompt()->isFetching(), fetch);
    if (fetch)
        QVERIFY(shell.waitForAlertText());
    QCOMPARE(shell.server.requests.size(), fetch ? 1 : 0);
    QCOMPARE(Shell::defaults().boolForKey(u"versionIsRated"_s), ratedAfter);
    QCOMPARE(Shell::defaults().integerForKey(u"runCount"_s), qint64(runCountAfter));
    QVERIFY(m_urls.isEmpty());
}

void tst_LaunchPrompts::ratingAlert_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("tick");
    QTest::addColumn<bool>("ratedAfter");
    QTest::addColumn<QString>("ratedVersionAfter");
    QTest::addColumn<int>("runCountAfter");
    QTest::addColumn<QString>("page");
    for (bool tick : {false, true}) {
        const QByteArray box = tick ? ", box ticked" : "";
        QTest::newRow(QByteArray("Rate App" + box).constData())
            << 1000 << tick << true << "2.1" << 7 << "https://rating.example.com/mac/nimbrel/rate";
        QTest::newRow(QByteArray("Not Now" + box).constData()) << 1001 << tick << false << "" << 0 << "";
        QTest::newRow(QByteArray("Contact Support" + box).constData())
            << 1002 << tick << false << "" << 0 << "https://www.example.com/support/";
    }
}

void tst_LaunchPrompts::ratingAlert()
{
    QFETCH(int, answer);
    QFETCH(bool, tick);
    QFETCH(bool, ratedAfter);
    QFETCH(QString, ratedVersionAfter);
    QFETCH(int, runCountAfter);
    QFETCH(QString, page);
    Shell shell;
    QVERIFY(shell.ready);
    shell.setState(false, QString(), false, 7);
    m_answers = {answer};
    m_tickSuppression = tick;

    shell.launch();
    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].message, u"Rate Nimbrel"_s);
    QVERIFY(m_shown[0].informative.startsWith(u"If you like Nimbrel, please take a moment to rate it."_s));
    QCOMPARE(m_shown[0].buttons, QStringList({"Rate App", "Not Now", "Contact Support"}));
    QVERIFY(m_shown[0].suppressionBox);
    QVERIFY(!m_shown[0].panel);
    QCOMPARE(m_shown[0].style, platform::Alert::Style::Warning);

    QCOMPARE(Shell::defaults().boolForKey(u"versionIsRated"_s), ratedAfter);
    QCOMPARE(Shell::defaults().stringForKey(u"ratedVersionNumber"_s), ratedVersionAfter);
    QCOMPARE(Shell::defaults().integerForKey(u"runCount"_s), qint64(runCountAfter));
    QCOMPARE(Shell::defaults().boolForKey(u"declinedRating"_s), tick);
    QCOMPARE(m_urls, page.isEmpty() ? QList<QUrl>() : QList<QUrl>{QUrl(page)});
    QVERIFY(!shell.app.alertTextPrompt()->isFetching());
}

void tst_LaunchPrompts::alertTextDue_data()
{
    QTest::addColumn<int>("runCount");
    QTest::addColumn<QVariant>("lastAlert");
    QTest::addColumn<bool>("fetch");
    // Whole seconds: the store keeps dates to the second.
    const QDateTime now = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch(), Qt::UTC);
    QTest::newRow("six days ago") << 12 << QVariant(now.addDays(-6)) << false;
    QTest::newRow("eight days ago") << 12 << QVariant(now.addDays(-8)) << true;
    QTest::newRow("a week and a minute ago") << 12 << QVariant(now.addSecs(-604860)) << true;
    QTest::newRow("eight days ahead") << 12 << QVariant(now.addDays(8)) << true;
    QTest::newRow("six days ahead") << 12 << QVariant(now.addDays(6)) << false;
    QTest::newRow("never stamped") << 10 << QVariant() << true;
    QTest::newRow("not a date") << 12 << QVariant(u"yesterday"_s) << true;
    QTest::newRow("nine runs") << 9 << QVariant(now.addDays(-30)) << false;
}

void tst_LaunchPrompts::alertTextDue()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the alert text fetch");
    QFETCH(int, runCount);
    QFETCH(QVariant, lastAlert);
    QFETCH(bool, fetch);
    Shell shell;
    QVERIFY(shell.ready);
    shell.server.body = "0";
    shell.setState(true, u"2.1"_s, false, runCount);
    Shell::defaults().setObject(lastAlert, u"QZLastAlertTime"_s);

    shell.launch();
    QCOMPARE(shell.app.alertTextPrompt()->isFetching(), fetch);
    if (fetch) {
        QVERIFY(shell.waitForAlertText());
        QCOMPARE(shell.server.requests.size(), 1);
        const QByteArray request = shell.server.requests.first();
        QVERIFY2(request.startsWith("GET /version/qzalert.txt HTTP/1.1\r\n"), request.constData());
        QVERIFY2(request.toLower().contains("cache-control: no-cache"), request.constData());
    } else {
        QVERIFY(!shell.server.hasPendingConnections());
        QVERIFY(shell.server.requests.isEmpty());
    }
    // A "0" stamps nothing either way.
    QCOMPARE(Shell::defaults().objectForKey(u"QZLastAlertTime"_s), lastAlert);
    QVERIFY(m_shown.isEmpty());
    QVERIFY(shell.promo.isHidden());
}

void tst_LaunchPrompts::alertTextReply_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("server"); // "local", "silent" or "refusing"
    QTest::addColumn<bool>("shown");
    QTest::newRow("1") << 200 << QByteArray("1") << "local" << true;
    QTest::newRow("1 and a line break") << 200 << QByteArray("1\n") << "local" << false;
    QTest::newRow("0") << 200 << QByteArray("0") << "local" << false;
    QTest::newRow("empty") << 200 << QByteArray() << "local" << false;
    QTest::newRow("blank before 1") << 200 << QByteArray(" 1") << "local" << false;
    QTest::newRow("long body starting with 1")
        << 200 << QByteArray("1").append(QByteArray(4096, '0')) << "local" << false;
    QTest::newRow("not found, body 1") << 404 << QByteArray("1") << "local" << false;
    QTest::newRow("server error, body 1") << 500 << QByteArray("1") << "local" << false;
    QTest::newRow("time-out") << 200 << QByteArray("1") << "silent" << false;
    QTest::newRow("refused connection") << 200 << QByteArray("1") << "refusing" << false;
}

void tst_LaunchPrompts::alertTextReply()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the alert text fetch");
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, server);
    QFETCH(bool, shown);
    Shell shell;
    QVERIFY(shell.ready);
    QVERIFY(shell.home.setSystemVersion(u"10.9"_s));
    shell.server.status = status;
    shell.server.body = body;
    shell.server.silent = server == QLatin1String("silent");
    if (server == QLatin1String("refusing"))
        Shell::defaults().setObject(LocalHttpServer::refusingAddress(), u"downloadHost"_s);
    QCOMPARE(shell.app.alertTextPrompt()->timeout(), 30000);
    shell.app.alertTextPrompt()->setTimeout(1000); // the silent server is given up on sooner
    shell.setState(true, u"2.1"_s, false, 12);
    const QDateTime before = QDateTime::currentDateTimeUtc();

    shell.app.checkBrindlecoveInfoStatus();
    QVERIFY(shell.waitForAlertText());
    QCOMPARE(shell.server.requests.size(), server == QLatin1String("refusing") ? 0 : 1);
    QCOMPARE(shell.promo.isVisible(), shown);
    const QVariant stamp = Shell::defaults().objectForKey(u"QZLastAlertTime"_s);
    if (shown) {
        QVERIFY(stamp.toDateTime() >= before.addSecs(-1));
        QVERIFY(stamp.toDateTime() <= QDateTime::currentDateTimeUtc().addSecs(1));
    } else {
        QVERIFY(!stamp.isValid());
    }
    QVERIFY(m_urls.isEmpty());
}

void tst_LaunchPrompts::promotionalFace_data()
{
    QTest::addColumn<QString>("system");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("switchedOff");
    QTest::addColumn<QString>("face"); // image name, empty for none
    QTest::newRow("10.9, not installed") << "10.9" << false << false << "FW3.png";
    QTest::newRow("10.8, not installed") << "10.8" << false << false << "FW3.png";
    QTest::newRow("10.9, installed") << "10.9" << true << false << "Podcast.png";
    QTest::newRow("10.9, switched off") << "10.9" << false << true << "";
    QTest::newRow("10.7") << "10.7" << false << false << "Podcast.png";
    QTest::newRow("11.2") << "11.2" << false << false << "Podcast.png";
    QTest::newRow("11.2, switched off") << "11.2" << false << true << "";
    QTest::newRow("version unknown") << "" << false << false << "Podcast.png";
}

void tst_LaunchPrompts::promotionalFace()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the alert text fetch");
    QFETCH(QString, system);
    QFETCH(bool, installed);
    QFETCH(bool, switchedOff);
    QFETCH(QString, face);
    Shell shell;
    QVERIFY(shell.ready);
    if (!system.isEmpty())
        QVERIFY(shell.home.setSystemVersion(system));
    if (installed)
        QVERIFY(!shell.home.addApplication(u"com.brindlecove.Ferrowatch3"_s, u"Ferrowatch"_s).isEmpty());
    Shell::defaults().setBool(switchedOff, u"disableBrindlecoveAlert"_s);
    shell.server.body = "1";
    shell.setState(true, u"2.1"_s, false, 12);

    shell.launch();
    QVERIFY(shell.waitForAlertText());
    QCOMPARE(shell.promo.isVisible(), !face.isEmpty());
    QCOMPARE(Shell::defaults().objectForKey(u"QZLastAlertTime"_s).isValid(), !face.isEmpty());
    if (face.isEmpty())
        return;
    const bool product = face == QLatin1String("FW3.png");
    QVERIFY(!resource(face).isNull());
    QCOMPARE(imageOf(shell.promo.qzImageView()), resource(face));
    QCOMPARE(shell.promo.learnMoreButton()->isVisible(), product);
    QCOMPARE(shell.promo.upgradeButton()->isVisible(), product);
    QCOMPARE(shell.promo.listenNowButton()->isVisible(), !product);
}

void tst_LaunchPrompts::pages_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("browser"); // a web browser takes the page
    const QString campaign = u"?utm_source=personal&utm_medium=banner&utm_campaign=nbinapp"_s;
    QTest::newRow("guide") << "actionGuide"
                           << "https://www.example.com/guide_nb" << true;
    QTest::newRow("help") << "actionHelp"
                          << "https://www.example.com/support" << true;
    QTest::newRow("podcast") << "actionPodcast"
                             << "https://www.example.com/podcast" << true;
    QTest::newRow("learn more") << "learnMoreButton"
                                << "https://www.example.com/ferrowatch" + campaign << true;
    QTest::newRow("upgrade") << "upgradeButton"
                             << "https://www.example.com/purchase-fw" + campaign << true;
    QTest::newRow("listen now") << "listenNowButton"
                                << "https://www.example.com/podcast" + campaign << true;
    QTest::newRow("help, no browser") << "actionHelp"
                                      << "https://www.example.com/support" << false;
    QTest::newRow("guide, no browser") << "actionGuide"
                                       << "https://www.example.com/guide_nb" << false;
}

void tst_LaunchPrompts::pages()
{
    QFETCH(QString, control);
    QFETCH(QString, page);
    QFETCH(bool, browser);
    Shell shell;
    QVERIFY(shell.ready);
    if (!browser)
        platform::Workspace::sharedWorkspace().setURLOpener([this](const QUrl &url) {
            m_urls.append(url);
            return false;
        });
    if (auto *action = shell.window.findChild<QAction *>(control)) {
        QVERIFY(action->isEnabled());
        action->trigger();
    } else {
        auto *button = shell.promo.findChild<QPushButton *>(control);
        QVERIFY(button);
        shell.promo.show();
        button->click();
        QVERIFY(!shell.promo.isVisible());
    }
    QCOMPARE(m_urls, QList<QUrl>{QUrl(page)});
    QCOMPARE(m_urls.first().scheme(), u"https"_s);
    // Without a browser nothing would show: the user is told, with the address to open.
    QCOMPARE(m_shown.size(), browser ? 0 : 1);
    if (!browser) {
        QCOMPARE(m_shown[0].message, u"The page could not be opened"_s);
        QVERIFY2(m_shown[0].informative.endsWith(page), qPrintable(m_shown[0].informative));
    }
}

void tst_LaunchPrompts::leftoverFiles_data()
{
    QTest::addColumn<QString>("leftovers"); // "files", "empty folders" or "none"
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("vanish");  // the folder is gone before the answer comes
    QTest::addColumn<QString>("text"); // the panel's final text, empty when no panel
    QTest::newRow("cleaned") << "files" << 1000 << false << "Temporary files were cleaned successfully.";
    QTest::newRow("cleaning fails") << "files" << 1000 << true << "Temporary file cleaning failed.";
    QTest::newRow("declined") << "files" << 1001 << false << "";
    QTest::newRow("only empty folders: their names are private")
        << "empty folders" << 1000 << false << "Temporary files were cleaned successfully.";
    QTest::newRow("no folder") << "none" << 1000 << false << "";
}

void tst_LaunchPrompts::leftoverFiles()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Gui's raster work for the cleaning panel on Qt Gui's thread pool");
    QFETCH(QString, leftovers);
    QFETCH(int, answer);
    QFETCH(bool, vanish);
    QFETCH(QString, text);
    Shell shell;
    QVERIFY(shell.ready);
    // Due for both later prompts: the rating alert would follow when the chain goes on.
    shell.setState(false, QString(), false, 12);
    const QString folder = shell.temporaryFolder();
    if (leftovers == QLatin1String("files")) {
        QVERIFY(shell.home.writeFile(u"Library/Caches/a.db"_s, "cache"));
        QVERIFY(shell.home.writeFile(u"Library/Caches/Site/b/c.bin"_s, "data"));
        QVERIFY(!shell.files.temporaryPathForFile(shell.home.path(u"Library/Caches/a.db"_s)).isEmpty());
        QVERIFY(!shell.files.temporaryPathForFile(shell.home.path(u"Library/Caches/Site"_s)).isEmpty());
    } else if (leftovers == QLatin1String("empty folders")) {
        QVERIFY(TemporaryFolder::ensurePrivate());
        QVERIFY(FakeHome::makePath(folder + u"/one/two"_s));
        QVERIFY(FakeHome::makePath(folder + u"/three"_s));
    }
    const bool prompted = leftovers != QLatin1String("none");
    if (vanish)
        m_beforeAnswer = [folder] { QVERIFY(QDir(folder).removeRecursively()); };
    m_answers = {answer};

    PanelState seen;
    int modalRuns = 0;
    closePanelWhenDone(shell, seen, modalRuns);

    shell.launch();
    if (QTest::currentTestFailed()) // a check in the script failed
        return;
    QCOMPARE(modalRuns, text.isEmpty() ? 0 : 1);
    QVERIFY(!shell.tempPanel.isVisible());
    if (prompted) {
        QCOMPARE(m_shown.size(), 1); // the chain ends with this prompt
        QCOMPARE(m_shown[0].message, u"Temporary File Alert"_s);
        // The folders a "Yes" empties are named.
        QCOMPARE(m_shown[0].informative,
                 u"Temporary files exist from a previous session of Nimbrel. Would you like Nimbrel "
                 "to remove these files at this time?\n\nFolders to be emptied:\n"_s
                     + folder);
        QCOMPARE(m_shown[0].buttons, QStringList({"Yes", "No"}));
        QVERIFY(m_shown[0].panel);
    } else {
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].message, u"Rate Nimbrel"_s);
    }
    QVERIFY(!shell.app.alertTextPrompt()->isFetching());
    // Only a cleaning run takes the folder away (or it was gone before the answer).
    QCOMPARE(QFileInfo::exists(folder), leftovers != QLatin1String("none") && !(prompted && answer == 1000));

    const bool failed = text == QLatin1String("Temporary file cleaning failed.");
    QStringList tips;
    if (failed)
        tips << u"TempCleaningFailTip"_s;
    if (!text.isEmpty())
        tips << u"TempCleaningFailTipEnd"_s;
    shell.posted.removeAll(u"MainTips"_s);
    QCOMPARE(shell.posted, tips);
    if (text.isEmpty())
        return;
    QVERIFY(seen.wasSheet);
    QVERIFY(seen.finished);
    QCOMPARE(seen.text, text);
    QVERIFY(seen.imageShown);
    QCOMPARE(seen.image, resource(failed ? u"fail.png"_s : u"success.png"_s));
    QVERIFY(!seen.progressShown);
    QVERIFY(!shell.tempPanel.isProgressAnimating());
}

void tst_LaunchPrompts::closePanelWhenDone(Shell &shell, PanelState &seen, int &modalRuns)
{
    platform::Modal::setObserver([&](QWidget *window, bool isSheet) {
        if (window != &shell.tempPanel)
            return;
        if (isSheet) {
            seen.wasSheet = true;
            return;
        }
        ++modalRuns;
        seen.finished = QTest::qWaitFor([&] { return shell.tempPanel.tempCleaningButton()->isEnabled(); }, 60000);
        if (!seen.finished) {
            platform::Modal::endModalForWindow(&shell.tempPanel); // end the run rather than hang
            return;
        }
        seen.text = shell.tempPanel.tempCleaningProgressText()->text();
        seen.imageShown = shell.tempPanel.tempCleaningStatusImage()->isVisible();
        seen.image = imageOf(shell.tempPanel.tempCleaningStatusImage());
        seen.progressShown = shell.tempPanel.tempCleaningProgress()->isVisible();
        shell.tempPanel.tempCleaningButton()->click();
    });
}

void tst_LaunchPrompts::leftoversOfAKilledClean_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("prompted");
    QTest::newRow("list rewrite killed after the swap") << "list" << true;
    QTest::newRow("home on a second disk, killed mid-clean") << "home on disk" << true;
    QTest::newRow("item on a second disk, killed mid-clean") << "item on disk" << true;
    QTest::newRow("no TMPDIR, nothing set aside") << "no TMPDIR" << false;
    QTest::newRow("no TMPDIR, an empty folder of ours left") << "no TMPDIR, empty" << false;
    QTest::newRow("killed without TMPDIR, launched with it") << "killed without TMPDIR" << true;
}

void tst_LaunchPrompts::leftoversOfAKilledClean()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Gui's raster work for the cleaning panel on Qt Gui's thread pool");
    QFETCH(QString, layout);
    QFETCH(bool, prompted);
    QTemporaryDir base;
    std::optional<ScratchDisk> disk;
    if (layout.endsWith(QLatin1String("on disk"))) {
        disk.emplace(base.path() + u"/disk"_s);
        if (!disk->mounted())
            SKIP_OR_FAIL_IN_CI("no second file system: mounting a tmpfs needs privileges this run lacks");
    }
    const QString diskPath = base.path() + u"/disk"_s;
    const QVariantMap oldMap{{u"Recent"_s, QVariantList{u"a.txt"_s}}, {u"Keep"_s, u"stays"_s}};
    const QByteArray oldList = xmlList(oldMap);
    const QByteArray newList = xmlList({{u"Keep"_s, u"stays"_s}});
    QString item;  // what the killed clean worked on
    QString aside; // where its leftover must be, and nowhere else
    bool killed = !prompted;
    bool ready = false;

    Shell shell([&](const FakeHome &home) {
        if (layout.startsWith(QLatin1String("no TMPDIR"))) {
            qunsetenv("TMPDIR");
            aside = home.path(u".nimbrel-tmp"_s);
            ready = !layout.endsWith(QLatin1String("empty")) || TemporaryFolder::ensurePrivate();
            return;
        }
        if (layout == QLatin1String("list")) {
            item = home.path(u"Library/Preferences/com.example.list.plist"_s);
            aside = FileController::temporaryFolderPath();
            ready = FakeHome::writeFileAt(item, oldList);
            killed = ready && killedDuring([&] {
                         AtomicReplace::setAfterSwapHook([] { raise(SIGKILL); });
                         if (const auto file = platform::FileManager::defaultManager().readRegularFile(item, 1 << 20))
                             AtomicReplace::replaceKeepingOld(item, *file, newList);
                     });
            return;
        }
        if (layout == QLatin1String("home on disk")) {
            // The home itself on the second disk, the temporary directory on the first.
            qputenv("HOME", QFile::encodeName(diskPath + u"/home"_s));
            UserDefaults::resetStandardUserDefaults();
            item = diskPath + u"/home/Library/Caches/item"_s;
            aside = diskPath + u"/home/.nimbrel-tmp/Nimbrel"_s;
        } else if (layout == QLatin1String("killed without TMPDIR")) {
            qunsetenv("TMPDIR");
            item = home.path(u"Library/Caches/item"_s);
            aside = home.path(u".nimbrel-tmp/Nimbrel"_s);
        } else {
            item = diskPath + u"/Caches/item"_s;
            aside = diskPath + u"/.Nimbrel"_s;
        }
        ready = FakeHome::writeFileAt(item + u"/inner"_s, "private");
        killed = ready && killedDuring([&] {
                     if (!FileController().temporaryPathForFile(item).isEmpty())
                         raise(SIGKILL);
                 });
        qputenv("TMPDIR", QFile::encodeName(home.tmp()));
    });

    QVERIFY(shell.ready);
    QVERIFY(ready);
    QVERIFY(killed);
    const FileManager &fm = FileManager::defaultManager();
    if (!item.isEmpty()) {
        // Nothing private outside the set-aside folder, at the moment of the kill.
        QCOMPARE(setAsideIn(aside).size(), 1);
        if (layout == QLatin1String("list")) {
            // Beside the list, only our own settings, which record where items are set aside.
            QStringList beside = entriesOf(QFileInfo(item).absolutePath());
            beside.removeAll(u"com.brindlecove.Nimbrel.plist"_s);
            QCOMPARE(beside, QStringList{QFileInfo(item).fileName()});
            QCOMPARE(fm.contentsAtPath(item).value_or(QByteArray()), newList);
            QCOMPARE(fm.contentsAtPath(aside + QLatin1Char('/') + setAsideIn(aside).first()).value_or(QByteArray()),
                     oldList);
        } else {
            QVERIFY(!fm.attributesOfItemAtPath(item));
        }
    }

    shell.setState(false, QString(), false, 12);
    m_answers = {1000};
    PanelState seen;
    int modalRuns = 0;
    closePanelWhenDone(shell, seen, modalRuns);
    shell.launch();

    QCOMPARE(m_shown.size(), 1);
    QCOMPARE(m_shown[0].message, prompted ? u"Temporary File Alert"_s : u"Rate Nimbrel"_s);
    QCOMPARE(modalRuns, prompted ? 1 : 0);
    if (prompted)
        QCOMPARE(seen.text, u"Temporary files were cleaned successfully."_s);
    // The leftover is gone, and so is the folder of ours that held it.
    QVERIFY(!fm.attributesOfItemAtPath(aside));
    QVERIFY(!fm.attributesOfItemAtPath(FileController::temporaryFolderPath()));
    if (layout == QLatin1String("list")) {
        const QStringList beside = entriesOf(QFileInfo(item).absolutePath());
        QVERIFY(beside.filter(QRegularExpression(u"^\\."_s)).isEmpty());
        QCOMPARE(fm.contentsAtPath(item).value_or(QByteArray()), newList);
    }
}

void tst_LaunchPrompts::cleaningPanelClosesOnlyWhenDone()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Gui's raster work for the cleaning panel on Qt Gui's thread pool");
    FakeHome home;
    TempCleaningPanel panel;
    bool stillRunning = false;
    bool endedByButton = false;
    QObject::connect(panel.tempCleaningButton(), &QPushButton::clicked, &panel, [&] {
        endedByButton = true;
        platform::Modal::endModalForWindow(&panel);
    });
    platform::Modal::setObserver([&](QWidget *window, bool) {
        if (window != &panel)
            return;
        panel.tempCleaningButton()->setEnabled(false);
        panel.close();
        QTest::keyClick(&panel, Qt::Key_Escape);
        stillRunning = platform::Modal::isRunning(&panel) && panel.isVisible();
        panel.tempCleaningButton()->setEnabled(true);
        panel.close(); // now acts as the closing button
    });
    platform::Modal::runModalForWindow(&panel);
    QVERIFY(stillRunning);
    QVERIFY(endedByButton);
}

QTEST_MAIN(tst_LaunchPrompts)
#include "tst_launchprompts.moc"
