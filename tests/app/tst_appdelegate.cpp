#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "core/Settings.h"
#include "platform/gui/Alert.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Bundle.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "support/CiSkip.h"
#include "support/FakeHome.h"
#include "targets/base/ModuleController.h"
#include "ui/about/AboutWindowController.h"
#include "ui/launch/RatingPrompt.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/results/ResultsController.h"
#include "ui/summary/CleaningResultsWindow.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTextBrowser>
#include <QtTest>

using platform::UserDefaults;

namespace {

// What the store on disk holds under a key; nothing when the key was never stored.
std::optional<QVariant> stored(const QString &key)
{
    UserDefaults::standardUserDefaults().synchronize();
    const auto store = platform::PropertyList::fromFile(UserDefaults::standardUserDefaults().storePath());
    if (!store || !store->contains(key))
        return std::nullopt;
    return store->value(key);
}

QVariantMap bundledList(const QString &name)
{
    const QString path = QString(NIMBREL_TEST_BUNDLE) + "/Contents/Resources/" + name + ".plist";
    const auto list = platform::PropertyList::fromFile(path);
    return list ? list->toVariant().toMap() : QVariantMap();
}

} // namespace

class tst_appdelegate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
            qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
        QVERIFY(!bundledList("UserDefaults").isEmpty());
        QVERIFY(!bundledList("HighSierraUserDefaults").isEmpty());
    }

    void startUpRules_data()
    {
        QTest::addColumn<QString>("systemVersion"); // "" none, "damaged" unreadable
        QTest::addColumn<QVariantMap>("before");    // the user's stored values
        QTest::addColumn<QVariantMap>("after");     // expected stored values; invalid = not stored
        QTest::addColumn<bool>("highSierraList");

        const QVariant absent;
        auto level = [&](qint64 from, qint64 to) {
            QTest::addRow("level %lld", from) << "10.12" << QVariantMap{{"secureDeleteLevel", from}}
                                              << QVariantMap{{"secureDeleteLevel", to}} << false;
        };
        level(-1, 0);
        level(-5000, 0);
        level(0, 0);
        level(1, 1);
        level(2, 2);
        level(3, 2);
        level(7, 2);
        QTest::newRow("level not stored stays unstored")
            << "10.12" << QVariantMap{} << QVariantMap{{"secureDeleteLevel", absent}} << false;

        const QVariantMap tipsOn{{"enableTips", true}};
        for (const QString v : {"10.13", "10.13.6", "10.15", "10.15.7"})
            QTest::addRow("%s", qPrintable(v)) << v << tipsOn
                                               << QVariantMap{{"isHighSierra", true},
                                                              {"enableTips", false},
                                                              {"enableSFX", absent},
                                                              {"enableAnimations", absent}}
                                               << true;
        QTest::newRow("10.14, all three on")
            << "10.14" << QVariantMap{{"enableTips", true}, {"enableSFX", true}, {"enableAnimations", true}}
            << QVariantMap{{"enableTips", false}, {"enableSFX", false}, {"enableAnimations", false}} << true;
        for (const QString v : {"10.12", "10.9", "11.0", "14.2", "", "damaged"})
            QTest::addRow("%s: nothing forced", v.isEmpty() ? "no version" : qPrintable(v))
                << v << tipsOn << QVariantMap{{"isHighSierra", absent}, {"enableTips", true}} << false;
        QTest::newRow("11.0 keeps a carried isHighSierra")
            << "11.0" << QVariantMap{{"isHighSierra", true}} << QVariantMap{{"isHighSierra", true}} << false;
        QTest::newRow("10.13 with isHighSierra stored NO")
            << "10.13" << QVariantMap{{"isHighSierra", false}} << QVariantMap{{"isHighSierra", true}} << true;

        QTest::newRow("FW3 switch folds")
            << "11.0" << QVariantMap{{"disableFW3Alert", true}, {"disablePodcastAlert", false}}
            << QVariantMap{{"disableBrindlecoveAlert", true}} << false;
        QTest::newRow("podcast switch folds") << "11.0" << QVariantMap{{"disablePodcastAlert", true}}
                                              << QVariantMap{{"disableBrindlecoveAlert", true}} << false;
        QTest::newRow("old switches off store nothing") << "11.0" << QVariantMap{{"disableFW3Alert", false}}
                                                        << QVariantMap{{"disableBrindlecoveAlert", absent}} << false;
        QTest::newRow("clearing the old switch keeps the new one")
            << "11.0" << QVariantMap{{"disableFW3Alert", false}, {"disableBrindlecoveAlert", true}}
            << QVariantMap{{"disableBrindlecoveAlert", true}} << false;
    }
    void startUpRules()
    {
        QFETCH(QString, systemVersion);
        QFETCH(QVariantMap, before);
        QFETCH(QVariantMap, after);
        QFETCH(bool, highSierraList);

        FakeHome home;
        QVERIFY(home.isValid());
        if (systemVersion == "damaged")
            QVERIFY(home.setDamagedSystemVersion());
        else if (!systemVersion.isEmpty())
            QVERIFY(home.setSystemVersion(systemVersion));
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            defaults.setObject(it.value(), it.key());

        NimbrelAppDelegate::registerDefaultsAndApplyRules();

        for (auto it = after.cbegin(); it != after.cend(); ++it) {
            const auto value = stored(it.key());
            if (!it.value().isValid())
                QVERIFY2(!value, qPrintable(it.key() + " was stored"));
            else
                QVERIFY2(value && *value == it.value(), qPrintable(it.key()));
        }
        const QVariantMap list = bundledList(highSierraList ? "HighSierraUserDefaults" : "UserDefaults");
        QCOMPARE(defaults.registeredDefaults(), list);
        QCOMPARE(platform::UserDefaultsController::sharedUserDefaultsController().initialValues(), list);
    }

    void mainInterfaceStartsWithTheDefaults()
    {
        FakeHome home;
        QVERIFY(home.setSystemVersion("10.13"));
        UserDefaults::standardUserDefaults().setInteger(9, "secureDeleteLevel");
        const std::unique_ptr<MainInterface> ui = MainInterface::load();
        QVERIFY(ui->appDelegate());
        QVERIFY(ui->appDelegate()->activity()); // launched
        QCOMPARE(stored("secureDeleteLevel"), std::optional<QVariant>(QVariant(qint64(2))));
        QCOMPARE(stored("isHighSierra"), std::optional<QVariant>(QVariant(true)));
        QCOMPARE(UserDefaults::standardUserDefaults().registeredDefaults(), bundledList("HighSierraUserDefaults"));
    }

    // Tests and benchmarks build the whole wiring again and again in one process: nothing of a
    // destroyed interface may stay behind (observers, windows, the quit filter).
    void mainInterfaceBuiltAndDestroyedAgain_data()
    {
        QTest::addColumn<bool>("firstLaunch");
        QTest::addColumn<bool>("scan");
        QTest::newRow("assistant pending") << true << false;
        QTest::newRow("main window") << false << false;
        QTest::newRow("after a scan") << false << true;
    }
    void mainInterfaceBuiltAndDestroyedAgain()
    {
        QFETCH(bool, firstLaunch);
        QFETCH(bool, scan);
        int questions = 0;
        platform::Alert::setResponder([&questions](const platform::Alert &, bool &) {
            ++questions;
            return int(platform::Alert::SecondButtonReturn);
        });
        const auto noResponder = qScopeGuard([] { platform::Alert::setResponder({}); });
        const qsizetype windowsBefore = QApplication::topLevelWidgets().size();
        for (int round = 0; round < 3; ++round) {
            FakeHome home;
            home.addApplication("com.apple.Safari", "Safari");
            QVERIFY(home.writeFile("Library/Safari/History.plist", QByteArray(5000, 'h')));
            UserDefaults::standardUserDefaults().setBool(firstLaunch, "FirstLaunch");
            UserDefaults::standardUserDefaults().setBool(true, "com.apple.Safari"); // pane offered before
            NimbrelAppDelegate::registerDefaultsAndApplyRules(); // once per process, once per home here
            {
                std::unique_ptr<MainInterface> ui = MainInterface::load();
                QCOMPARE(ui->appControl()->mainWindow()->isVisible(), !firstLaunch);
                NimbrelAppDelegate *delegate = ui->appDelegate();
                QVERIFY(delegate->acknowledgementsMenuItem() && delegate->acknowledgementsMenuItem()->isVisible());
                QVERIFY(delegate->feedbackMenuItem() && delegate->feedbackMenuItem()->isVisible());
                QVERIFY(delegate->acknowledgementsSeparatorMenuItem()
                        && delegate->acknowledgementsSeparatorMenuItem()->isVisible());
                if (!firstLaunch) {
                    QVERIFY(QTest::qWaitForWindowExposed(ui->appControl()->mainWindow()));
                    platform::Timer::fireAllPending();
                    QVERIFY(ui->appControl()->setupComplete());
                }
                if (scan) {
                    ui->appControl()->scan();
                    QVERIFY(ui->resultsControl()->showingScanResults());
                    // Results wait: the close question is put, and "Quit" is the answer.
                    QVERIFY(ui->appControl()->mainWindow()->close());
                    QCOMPARE(questions, round + 1);
                }
                QTest::qWait(20);
            }
            // No registration, window or timer of the destroyed controllers is left.
            auto &center = platform::NotificationCenter::defaultCenter();
            for (const char *name :
                 {"DisplayMainWindow", "ScanLocations", "StartScanNotification", "AddAlertItem", "AddTargetLocation",
                  "RemoveLocationItem", "ToggleTipsOn", "ToggleTipsOff", "CheckTargetLocations",
                  "NSWindowWillStartLiveResizeNotification", "NSWindowDidEndLiveResizeNotification"})
                QCOMPARE(center.observerCount(QLatin1String(name)), 0);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
            QVERIFY(platform::Timer::pendingTimers().isEmpty());
        }
    }

    void defaultsListsAgreeExceptForTheEffects()
    {
        QVariantMap plain = bundledList("UserDefaults");
        QVariantMap highSierra = bundledList("HighSierraUserDefaults");
        for (const QString key : {"enableTips", "enableSFX", "enableAnimations"}) {
            QCOMPARE(plain.take(key), QVariant(true));
            QCOMPARE(highSierra.take(key), QVariant(false));
        }
        plain.remove("isHighSierra");
        highSierra.remove("isHighSierra");
        QCOMPARE(plain, highSierra);
    }

    // The lists are read at start-up, the tables by the code: every key of the list is a row of
    // the settings table or a switch of a module, with the value and type that row gives.
    void defaultsListHoldsExactlyTheTables()
    {
        QVariantMap plain = bundledList("UserDefaults");
        for (const Settings::Entry &row : Settings::table()) {
            if (!row.defaultValue.isValid()) {
                QVERIFY2(!plain.contains(row.name), qPrintable(row.name));
                continue;
            }
            QVERIFY2(plain.contains(row.name), qPrintable(row.name + " is missing from the list"));
            const QVariant value = plain.take(row.name);
            QCOMPARE(value.metaType().id(), int(row.type));
            QCOMPARE(value, row.defaultValue);
            if (row.range)
                QVERIFY(row.range->first <= value.toLongLong() && value.toLongLong() <= row.range->second);
        }
        FakeHome home;
        const std::unique_ptr<MainInterface> ui = MainInterface::load();
        for (ModuleController *module : ui->modules()) {
            QVERIFY2(plain.contains(module->scanString()), qPrintable(module->scanString() + " is missing"));
            QCOMPARE(plain.take(module->scanString()), QVariant(true));
            for (const Category &category : module->categories()) {
                QVERIFY2(plain.contains(category.key), qPrintable(category.key + " is missing from the list"));
                QVERIFY2(plain.take(category.key) == QVariant(category.on), qPrintable(category.key));
            }
        }
        QVERIFY2(plain.isEmpty(), qPrintable("keys of no table: " + plain.keys().join(", ")));
    }

    void launchShowsTheHiddenMenuItemsAndBeginsAnActivity()
    {
        FakeHome home;
        QAction acknowledgements, feedback, separator;
        separator.setSeparator(true);
        for (QAction *a : {&acknowledgements, &feedback, &separator})
            a->setVisible(false);
        NimbrelAppDelegate delegate;
        delegate.setAcknowledgementsMenuItem(&acknowledgements);
        delegate.setFeedbackMenuItem(&feedback);
        delegate.setAcknowledgementsSeparatorMenuItem(&separator);
        QVERIFY(!delegate.activity());

        delegate.applicationDidFinishLaunching();
        QVERIFY(acknowledgements.isVisible() && feedback.isVisible() && separator.isVisible());
        const auto token = delegate.activity();
        QVERIFY(token);
        delegate.applicationDidFinishLaunching(); // the activity is begun once
        QCOMPARE(delegate.activity(), token);

        NimbrelAppDelegate withoutOutlets; // the main window form may not be there yet
        withoutOutlets.applicationDidFinishLaunching();
        QVERIFY(withoutOutlets.activity());
    }

    void quitRequestFollowsTheMainWindowController_data()
    {
        QTest::addColumn<int>("answer"); // -1 no controller yet, 0 NO, 1 YES
        QTest::addColumn<int>("reply");
        QTest::newRow("no controller") << -1 << 1;
        QTest::newRow("controller says quit") << 1 << 1;
        QTest::newRow("controller says stay") << 0 << 0;
    }
    void quitRequestFollowsTheMainWindowController()
    {
        QFETCH(int, answer);
        QFETCH(int, reply);
        NimbrelAppDelegate delegate;
        if (answer >= 0)
            delegate.setAppControl([answer] { return answer == 1; });
        QCOMPARE(int(delegate.applicationShouldTerminate()), reply);

        // quit() asks the application with a Quit event; the delegate answers it.
        qApp->installEventFilter(&delegate);
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(qApp, &quit);
        QCOMPARE(quit.isAccepted(), reply == 1);
    }

    // Without a browser every page button says so, with the address, instead of doing nothing.
    void pageButtonsSayWhenNoPageOpened_data()
    {
        QTest::addColumn<QString>("control"); // what the user presses
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("ratingAnswer"); // the rating alert's button, 0 when not asked
        QTest::newRow("Send Feedback") << "actionFeedback"
                                       << "https://www.example.com/support" << 0;
        QTest::newRow("Check for Updates") << "actionCheckForUpdates"
                                           << "https://download.example.com/download" << 0;
        QTest::newRow("Help") << "actionHelp"
                              << "https://www.example.com/support" << 0;
        QTest::newRow("About: support link") << "supportLink"
                                             << "https://www.example.com/support/" << 0;
        QTest::newRow("About: company link") << "companyLink"
                                             << "https://www.example.com/" << 0;
        QTest::newRow("Tweet Scan Results") << "tweetLink"
                                            << "https://microblog.example.com/share" << 0;
        QTest::newRow("rating: Rate App") << "rating"
                                          << "https://rate.example.com/mac/nimbrel/rate" << 1000;
        QTest::newRow("rating: Contact Support") << "rating"
                                                 << "https://www.example.com/support/" << 1002;
    }
    void pageButtonsSayWhenNoPageOpened()
    {
        QFETCH(QString, control);
        QFETCH(QString, page);
        QFETCH(int, ratingAnswer);
        FakeHome home;
        const std::unique_ptr<MainInterface> ui = MainInterface::load();
        UserDefaults::standardUserDefaults().setObject(QString("https://download.example.com"), "downloadHost");
        UserDefaults::standardUserDefaults().setObject(QString("https://rate.example.com"), "ratingHost");
        QList<QUrl> asked;
        QStringList shown;
        platform::Workspace::sharedWorkspace().setURLOpener([&](const QUrl &url) {
            asked.append(url);
            return false;
        });
        platform::Alert::setResponder([&](const platform::Alert &alert, bool &) {
            shown << alert.messageText() + "|" + alert.informativeText();
            return shown.size() == 1 && ratingAnswer ? ratingAnswer : platform::Alert::FirstButtonReturn;
        });
        const auto reset = qScopeGuard([] {
            platform::Workspace::sharedWorkspace().setURLOpener({});
            platform::Alert::setResponder({});
        });

        QWidget *window = ui->appControl()->mainWindow();
        if (auto *action = window->findChild<QAction *>(control)) {
            action->trigger();
        } else if (control == "rating") {
            ui->appControl()->ratingPrompt()->displayAppRatingAlert();
        } else {
            QLabel *link = control == "supportLink" ? ui->aboutWindowController()->supportLink()
                : control == "companyLink"          ? ui->aboutWindowController()->companyLink()
                                                    : ui->resultsControl()->cleaningResultsWindow()->tweetLink();
            QVERIFY(link);
            emit link->linkActivated(control == "tweetLink" ? page : link->text().section('"', 1, 1));
        }
        QCOMPARE(asked, QList<QUrl>{QUrl(page)});
        QCOMPARE(shown.size(), ratingAnswer ? 2 : 1);
        QVERIFY2(shown.last().startsWith("The page could not be opened|"), qPrintable(shown.last()));
        QVERIFY2(shown.last().endsWith("\n\n" + page), qPrintable(shown.last()));
    }

    // Every shared library the program is linked with is credited, LevelDB with its notice.
    void acknowledgementsNameEveryLinkedLibrary()
    {
        QProcess readelf;
        readelf.start("readelf", {"-d", QCoreApplication::applicationFilePath()});
        if (!readelf.waitForFinished(60000) || readelf.exitCode() != 0)
            SKIP_OR_FAIL_IN_CI("readelf is not installed");
        static const QRegularExpression needed(R"(\(NEEDED\).*\[lib([A-Za-z]+)[^\]]*\])");
        QStringList linked;
        for (auto it = needed.globalMatch(QString::fromUtf8(readelf.readAllStandardOutput())); it.hasNext();)
            linked << it.next().captured(1);
        QVERIFY(linked.contains("leveldb"));
        MainWindow window;
        const QString text = window.acknowledgementsWindow()->findChild<QTextBrowser *>()->toPlainText();
        // The C and C++ runtimes come with the compiler and the system, as do the sanitizers'
        // runtimes a checking build links in (never a shipped one).
        const QStringList runtime{"c", "m", "stdc", "gcc", "pthread", "dl", "rt", "asan", "ubsan", "tsan"};
        for (const QString &library : std::as_const(linked)) {
            if (runtime.contains(library))
                continue;
            const QString name = library.startsWith("Qt") ? QString("Qt") : library;
            QVERIFY2(text.contains(name, Qt::CaseInsensitive), qPrintable(library + " is not credited"));
        }
        QVERIFY(text.contains("Copyright © 2011 The LevelDB Authors"));
        QVERIFY(text.contains("Redistributions in binary form must reproduce the above copyright notice"));
    }
};

QTEST_MAIN(tst_appdelegate)
#include "tst_appdelegate.moc"
