#include "core/LocationController.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/gui/WebView.h"
#include "platform/gui/WindowKeys.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Bundle.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/BundleDefaults.h"
#include "support/FakeHome.h"
#include "support/ThreadChecker.h"
#include "targets/base/ModuleController.h"
#include "targets/safari/SafariController.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/prefs/PrefsController.h"
#include "ui/wizard/WizardController.h"

#include "StandInPane.h"

#include <QCheckBox>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

using namespace Qt::StringLiterals;

using platform::NotificationCenter;
using platform::UserDefaults;

namespace {

class StandInModule : public ModuleController
{
public:
    StandInModule(const QString &identifier, const QString &name)
    {
        setIdentity(identifier, u"scan"_s + name, name);
        UserDefaults::standardUserDefaults().registerDefaults({{scanString(), true}});
    }

protected:
    MasterPrefsViewController *createPane() override
    {
        return new StandInPane(targetName() + u" Settings"_s, identifierString(), paneSwitches(u"Scan"_s));
    }
};

struct Environment
{
    FakeHome home;
    bool ready = false; // the system version and the shipped settings are in place
    explicit Environment(const QString &version)
    {
        const bool versionSet = version.isEmpty() || home.setSystemVersion(version);
        ready = registerBundleDefaults() && versionSet;
    }
};

// What one page looked like when the assistant showed it.
struct Seen
{
    QString title;
    QString next;
    bool prevEnabled;
    bool nextEnabled;
};

// The start-up wiring of the main interface file: modules, settings, assistant and the main
// window with its location list.
struct Shell : Environment
{
    LocationController locations;
    MainWindow window;
    AppController app;
    std::vector<std::unique_ptr<ModuleController>> modules;
    PrefsController prefs;
    WizardController wizard;
    QObject observer;
    QStringList posted;
    // Run once the assistant is up and modal; the assistant must be closed by it.
    std::function<void()> script;
    bool stillRunningAfterScript = false;

    explicit Shell(const QString &version = u"10.14"_s)
        : Environment(version)
    {
        locations.awakeFromNib();
        app.setMainWindow(&window);
        app.setLocationArrayController(locations.locationArrayController());
        app.setTerminator([] {});
        prefs.setWizardControl(&wizard);
        for (const char *name : {"DisplayMainWindow", "CheckTargetLocations"})
            NotificationCenter::defaultCenter().addObserver(
                &observer, QLatin1String(name), [this](const platform::Notification &n) { posted << n.name; });
        platform::Modal::setObserver([this](QWidget *w, bool) {
            if (w != wizard.wizardWindow())
                return;
            if (script)
                script();
            // A script that failed must not leave the test waiting.
            if (platform::Modal::isRunning(w)) {
                stillRunningAfterScript = true;
                platform::Modal::endModalForWindow(w);
            }
        });
    }
    ~Shell()
    {
        platform::Modal::setObserver({});
        platform::Alert::setResponder({});
        platform::Timer::fireAllPending(0);
    }

    void addModule(const QString &identifier, const QString &name)
    {
        home.addApplication(identifier, name);
        std::unique_ptr<ModuleController> module;
        if (identifier == QLatin1String("com.apple.Safari"))
            module = std::make_unique<SafariController>();
        else
            module = std::make_unique<StandInModule>(identifier, name);
        module->setPrefControl(&prefs);
        module->init();
        modules.push_back(std::move(module));
    }

    // Starts up as launching does and lets the assistant's timer open it.
    void launch()
    {
        prefs.awakeFromNib();
        platform::Timer::fireAllPending();
    }

    Seen seen() const
    {
        return {wizard.titleText()->text(), wizard.nextButton()->text(), wizard.prevButton()->isEnabled(),
                wizard.nextButton()->isEnabled()};
    }
    // Clicks Next until the button reads "Done"; the titles of every page on the way.
    QStringList walkToEnd(QList<Seen> *pages = nullptr)
    {
        QStringList titles;
        for (int guard = 0; guard < 20; ++guard) {
            if (pages)
                pages->append(seen());
            titles << wizard.titleText()->text();
            if (wizard.nextButtonAction() == WizardController::NextAction::Done)
                break;
            wizard.nextButton()->click();
        }
        return titles;
    }
    QStringList locationNames() const
    {
        QStringList names;
        for (const auto &row : locations.locationArrayController()->arrangedObjects())
            names << row->locName();
        return names;
    }
};

// Answers every request with the same page.
class PageServer : public QTcpServer
{
public:
    QByteArray requests;
    PageServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    requests += socket->readAll();
                    socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 24\r\n"
                                  "Connection: close\r\n\r\n<p>Stay in the loop.</p>");
                    socket->disconnectFromHost();
                });
            }
        });
    }
};

} // namespace

class tst_Wizard : public QObject
{
    Q_OBJECT
private slots:
    void firstLaunchPages_data();
    void firstLaunchPages();
    void newAppAssistant_data();
    void newAppAssistant();
    void previousFromFinalPage();
    void cancelShowsAlertThenMainWindow_data();
    void cancelShowsAlertThenMainWindow();
    void nextWritesSettings();
    void finalPageWebView_data();
    void finalPageWebView();
    void returnPressesTheHighlightedButton();
};

void tst_Wizard::firstLaunchPages_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<int>("settingsPages");
    QTest::newRow("10.14") << "10.14" << 1;
    QTest::newRow("11.2") << "11.2" << 1;
    QTest::newRow("10.13") << "10.13" << 1;
    QTest::newRow("10.12") << "10.12" << 2;
    QTest::newRow("no version") << "" << 2;
}

void tst_Wizard::firstLaunchPages()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    QFETCH(QString, version);
    QFETCH(int, settingsPages);

    Shell shell(version);

    QVERIFY(shell.ready);
    shell.addModule(u"com.apple.Safari"_s, u"Safari"_s);
    shell.addModule(u"com.apple.finder"_s, u"Finder"_s);

    QStringList expected{"Welcome to Nimbrel!", "File Cleaning"};
    for (int i = 0; i < settingsPages; ++i)
        expected << "Program Settings";
    expected << "Finder Settings"
             << "Safari Settings"
             << "Setup Complete!";

    QList<Seen> pages;
    QStringList titles;
    bool visibleWhileRunning = false;
    shell.script = [&] {
        visibleWhileRunning = shell.wizard.wizardWindow()->isVisible();
        titles = shell.walkToEnd(&pages);
        QVERIFY(shell.posted.isEmpty());
        shell.wizard.nextButton()->click(); // Done
    };
    QVERIFY(!shell.window.isVisible());
    shell.launch();
    if (QTest::currentTestFailed()) // a check in the script failed
        return;
    QVERIFY(!shell.stillRunningAfterScript);
    QVERIFY(visibleWhileRunning);
    QCOMPARE(titles, expected);

    // Previous is off on the first page only; Next reads "Done" on the last page only.
    for (int i = 0; i < pages.size(); ++i) {
        QCOMPARE(pages[i].prevEnabled, i > 0);
        QVERIFY(pages[i].nextEnabled);
        QCOMPARE(pages[i].next, i == pages.size() - 1 ? u"Done"_s : u"Next"_s);
    }
    // With two settings pages, each shows its own half.
    const auto &list = shell.wizard.wizardViewControllers();
    if (settingsPages == 2) {
        QWidget *first = list.at(2).view();
        QWidget *second = list.at(3).view();
        QVERIFY(first->findChild<QWidget *>("secureRemovalGroup")->isVisibleTo(first));
        QVERIFY(!first->findChild<QWidget *>("effectsGroup")->isVisibleTo(first));
        QVERIFY(!second->findChild<QWidget *>("secureRemovalGroup")->isVisibleTo(second));
        QVERIFY(second->findChild<QWidget *>("effectsGroup")->isVisibleTo(second));
    } else {
        QWidget *only = list.at(2).view();
        QVERIFY(only->findChild<QWidget *>("secureRemovalGroup")->isVisibleTo(only));
        QVERIFY(only->findChild<QWidget *>("effectsGroup")->isVisibleTo(only));
    }

    // Done: the assistant goes, the main window comes with its locations.
    QVERIFY(!shell.wizard.wizardWindow()->isVisible());
    QCOMPARE(shell.posted, (QStringList{"DisplayMainWindow", "CheckTargetLocations"}));
    QVERIFY(shell.window.isVisible());
    QCOMPARE(shell.locationNames(), (QStringList{"Finder", "Safari"}));
    QVERIFY(!UserDefaults::standardUserDefaults().boolForKey(u"FirstLaunch"_s));
}

void tst_Wizard::newAppAssistant_data()
{
    QTest::addColumn<QStringList>("apps");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("one") << QStringList{"Safari"}
                         << QStringList{"New Application Detected!", "Safari Settings", "Setup Complete!"};
    QTest::newRow("two") << QStringList{"Safari", "Finder"}
                         << QStringList{"New Applications Detected!", "Finder Settings", "Safari Settings",
                                        "Setup Complete!"};
}

void tst_Wizard::newAppAssistant()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    QFETCH(QStringList, apps);
    QFETCH(QStringList, titles);

    Shell shell;

    QVERIFY(shell.ready);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(false, u"FirstLaunch"_s);
    // An application offered before is not new.
    shell.addModule(u"org.example.old"_s, u"Oldie"_s);
    defaults.setBool(true, u"org.example.old"_s);
    for (const QString &app : apps)
        shell.addModule(app == QLatin1String("Safari") ? u"com.apple.Safari"_s : u"com.apple.finder"_s, app);

    QStringList seen;
    shell.script = [&] {
        seen = shell.walkToEnd();
        shell.wizard.nextButton()->click();
    };
    shell.launch();
    QVERIFY(!shell.stillRunningAfterScript);
    QCOMPARE(seen, titles);
    QCOMPARE(shell.posted, (QStringList{"DisplayMainWindow", "CheckTargetLocations"}));
    QVERIFY(shell.window.isVisible());
    QCOMPARE(shell.locationNames().size(), apps.size() + 1);
}

void tst_Wizard::previousFromFinalPage()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    Shell shell;
    QVERIFY(shell.ready);
    shell.addModule(u"com.apple.Safari"_s, u"Safari"_s);
    UserDefaults::standardUserDefaults().setObject(u"http://127.0.0.1:9"_s, u"siteHost"_s);

    shell.script = [&] {
        WizardController &wizard = shell.wizard;
        shell.walkToEnd();
        QCOMPARE(wizard.titleText()->text(), u"Setup Complete!"_s);
        QPointer<platform::WebView> web = wizard.webView();
        QVERIFY(web);
        QWidget *finalView = wizard.wizardViewControllers().last().view();
        QCOMPARE(web->parentWidget(), finalView);
        // Placed 76 points above the page's bottom edge, 380 by 75.
        QCOMPARE(web->geometry(), QRect(17, finalView->height() - 76 - 75, 380, 75));

        wizard.prevButton()->click();
        QCOMPARE(wizard.titleText()->text(), u"Safari Settings"_s);
        QCOMPARE(wizard.nextButton()->text(), u"Next"_s);
        QCOMPARE(wizard.nextButtonAction(), WizardController::NextAction::Next);
        QVERIFY(wizard.nextButton()->isEnabled());
        QVERIFY(wizard.prevButton()->isEnabled());

        wizard.nextButton()->click();
        QCOMPARE(wizard.titleText()->text(), u"Setup Complete!"_s);
        QCOMPARE(wizard.nextButton()->text(), u"Done"_s);
        QCOMPARE(wizard.webView(), web.data());
        QCOMPARE(finalView->findChildren<platform::WebView *>().size(), 1);

        // Back to the start: Previous goes off on the first page.
        while (wizard.viewPosition() > 0)
            wizard.prevButton()->click();
        QCOMPARE(wizard.titleText()->text(), u"Welcome to Nimbrel!"_s);
        QVERIFY(!wizard.prevButton()->isEnabled());
        wizard.cancelButton()->click();
    };
    shell.launch();
    if (QTest::currentTestFailed()) // a check in the script failed
        return;
    QVERIFY(!shell.stillRunningAfterScript);
}

void tst_Wizard::cancelShowsAlertThenMainWindow_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Cancel on the first page") << 0 << false;
    QTest::newRow("Cancel on a pane") << 3 << false;
    QTest::newRow("close box") << 1 << true;
}

void tst_Wizard::cancelShowsAlertThenMainWindow()
{
    QFETCH(int, page);
    QFETCH(bool, closeBox);

    Shell shell;

    QVERIFY(shell.ready);
    shell.addModule(u"com.apple.Safari"_s, u"Safari"_s);
    QList<QStringList> alerts;
    QStringList postedWhenAsked;
    platform::Alert::setResponder([&](const platform::Alert &alert, bool &) {
        alerts.append({alert.messageText(), alert.informativeText(), alert.buttonTitles().join(QLatin1Char('|'))});
        postedWhenAsked = shell.posted;
        return platform::Alert::FirstButtonReturn;
    });
    shell.script = [&] {
        for (int i = 0; i < page; ++i)
            shell.wizard.nextButton()->click();
        if (closeBox)
            shell.wizard.wizardWindow()->close();
        else
            shell.wizard.cancelButton()->click();
    };
    shell.launch();
    QVERIFY(!shell.stillRunningAfterScript);

    QCOMPARE(alerts.size(), 1);
    QCOMPARE(alerts.first(),
             (QStringList{"Cancel Setup Assistant",
                          "Nimbrel will use the default recommendations for any unconfigured settings.", "OK"}));
    QVERIFY(postedWhenAsked.isEmpty());
    QVERIFY(!shell.wizard.wizardWindow()->isVisible());
    QCOMPARE(shell.posted, (QStringList{"DisplayMainWindow", "CheckTargetLocations"}));
    QVERIFY(shell.window.isVisible());
    QCOMPARE(shell.locationNames(), QStringList{"Safari"});
}

void tst_Wizard::nextWritesSettings()
{
    Shell shell;
    QVERIFY(shell.ready);
    shell.addModule(u"com.apple.Safari"_s, u"Safari"_s);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    const bool sfx = defaults.boolForKey(u"enableSFX"_s);
    auto stored = [&defaults]() -> QVariantMap {
        QFile file(defaults.storePath());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const auto list = platform::PropertyList::fromData(file.readAll());
        return list ? list->toVariant().toMap() : QVariantMap();
    };

    QVariantMap afterNext;
    shell.script = [&] {
        shell.wizard.nextButton()->click();
        shell.wizard.nextButton()->click();
        QCOMPARE(shell.wizard.titleText()->text(), u"Program Settings"_s);
        auto *box = shell.wizard.wizardBox()->findChild<QCheckBox *>(u"enableSFX"_s);
        QVERIFY(box);
        QCOMPARE(box->isChecked(), sfx);
        box->click();
        QVERIFY(!stored().contains(u"enableSFX"_s));
        shell.wizard.nextButton()->click();
        afterNext = stored();
        shell.wizard.cancelButton()->click();
    };
    platform::Alert::setResponder([](const platform::Alert &, bool &) { return platform::Alert::FirstButtonReturn; });
    shell.launch();
    if (QTest::currentTestFailed()) // a check in the script failed
        return;
    QVERIFY(!shell.stillRunningAfterScript);
    QCOMPARE(afterNext.value(u"enableSFX"_s), QVariant(!sfx));
    // Cancel keeps what was chosen.
    QCOMPARE(defaults.boolForKey(u"enableSFX"_s), !sfx);
}

void tst_Wizard::finalPageWebView_data()
{
    QTest::addColumn<bool>("serverUp");
    QTest::newRow("page loads") << true;
    QTest::newRow("nothing answers") << false;
}

void tst_Wizard::finalPageWebView()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    QFETCH(bool, serverUp);

    Shell shell;

    QVERIFY(shell.ready);
    shell.addModule(u"com.apple.Safari"_s, u"Safari"_s);
    PageServer server;
    QVERIFY(server.listen(QHostAddress::LocalHost));
    const quint16 port = server.serverPort();
    if (!serverUp)
        server.close();
    UserDefaults::standardUserDefaults().setObject(u"http://127.0.0.1:%1/"_s.arg(port), u"siteHost"_s);
    QCOMPARE(WizardController::webPageURL(), QUrl(u"http://127.0.0.1:%1/nb-stay-updated"_s.arg(port)));

    QString shown;
    bool spunWhileLoading = false;
    bool stillSpinning = true;
    shell.script = [&] {
        WizardController &wizard = shell.wizard;
        QVERIFY(wizard.webViewLoadingProgress()->isHidden());
        shell.walkToEnd();
        spunWhileLoading = !wizard.webViewLoadingProgress()->isHidden();
        QTRY_VERIFY(!wizard.webView()->isLoading());
        stillSpinning = !wizard.webViewLoadingProgress()->isHidden();
        shown = wizard.webView()->toPlainText().trimmed();
        wizard.nextButton()->click();
    };
    shell.launch();
    if (QTest::currentTestFailed()) // a check in the script failed
        return;
    QVERIFY(!shell.stillRunningAfterScript);
    QVERIFY(spunWhileLoading);
    QVERIFY(!stillSpinning);
    if (serverUp) {
        QVERIFY(server.requests.startsWith("GET /nb-stay-updated HTTP/1.1\r\n"));
        QCOMPARE(shown, u"Stay in the loop."_s);
    } else {
        QVERIFY(shown.isEmpty());
    }
}

QTEST_MAIN(tst_Wizard)
// Return presses Next on each page and Done on the last, wherever the keyboard is.
void tst_Wizard::returnPressesTheHighlightedButton()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    platform::WindowKeys::install();
    Shell shell;
    QVERIFY(shell.ready);
    shell.addModule(u"com.apple.Safari"_s, u"Safari"_s);
    UserDefaults::standardUserDefaults().setObject(u"http://127.0.0.1:9"_s, u"siteHost"_s);
    QStringList titles;
    shell.script = [&] {
        QWidget *window = shell.wizard.wizardWindow();
        for (int guard = 0; guard < 20 && window->isVisible(); ++guard) {
            titles << shell.wizard.titleText()->text();
            QWidget *focus = window->focusWidget();
            QTest::keyClick(focus ? focus : window, Qt::Key_Return);
        }
    };
    shell.launch();
    QVERIFY(!shell.stillRunningAfterScript); // Return on "Done" closed the assistant
    QCOMPARE(titles.first(), u"Welcome to Nimbrel!"_s);
    QCOMPARE(titles.last(), u"Setup Complete!"_s);
    QCOMPARE(titles.removeDuplicates(), 0); // every Return went on by one page
}

#include "tst_wizard.moc"
