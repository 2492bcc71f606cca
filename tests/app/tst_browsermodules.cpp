#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "core/FileController.h"
#include "core/LocationController.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/results/ResultsController.h"

#include <QtTest>

using platform::UserDefaults;

// The iCab, OmniWeb, Shiira and Flash cookies modules as the application wires them: found
// under the system root (Flash: its folder in the home), listed, scanned and cleaned through
// the services of the main interface.
class tst_BrowserModules : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
            qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
    }

    void installedModulesAreListedScannedAndCleaned()
    {
        FakeHome home;
        home.addApplication("de.icab.iCab", "iCab");
        home.addApplication("com.omnigroup.OmniWeb5", "OmniWeb");
        home.addApplication("jp.hmdt.shiira", "Shiira");
        QVERIFY(home.writeFile("Library/Preferences/iCab/iCab 4 History", QByteArray(5000, 'h')));
        QVERIFY(home.writeFile("Library/Application Support/OmniWeb 5/History.plist", QByteArray(6000, 'o')));
        QVERIFY(home.createSqlite(
            "Library/Application Support/Shiira/Shiira.sql",
            "CREATE TABLE ZDOWNLOADITEM (Z_PK INTEGER PRIMARY KEY, Z_ENT INTEGER, Z_OPT INTEGER, ZURLSTRING VARCHAR);"
            "INSERT INTO ZDOWNLOADITEM VALUES (1, 1, 1, 'https://example.org/a.dmg');"));
        QVERIFY(home.writeFile("Library/Preferences/Macromedia/Flash Player/#SharedObjects/K7/site/s.sol", "sol"));
        UserDefaults &d = UserDefaults::standardUserDefaults();
        d.setBool(false, "FirstLaunch");
        for (const char *ident : {"de.icab.iCab", "com.omnigroup.OmniWeb5", "jp.hmdt.shiira", "FlashCookies"})
            d.setBool(true, ident); // panes offered before: no assistant
        NimbrelAppDelegate::registerDefaultsAndApplyRules();

        std::unique_ptr<MainInterface> ui = MainInterface::load();
        QVERIFY(ui->iCabController() && ui->omniWebController() && ui->shiiraController()
                && ui->flashCookiesController());
        QStringList listed;
        for (const locationItemPtr &row : ui->locationControl()->locationArrayController()->arrangedObjects())
            listed.append(row->locName());
        QCOMPARE(listed, (QStringList{"Flash Cookies", "iCab", "OmniWeb", "Shiira"}));

        QVERIFY(QTest::qWaitForWindowExposed(ui->appControl()->mainWindow()));
        platform::Timer::fireAllPending();
        ui->appControl()->scan();
        QStringList found;
        for (const resultItemPtr &row : ui->fileControl()->resultsArrayController()->arrangedObjects())
            found.append(row->resultItemName());
        QCOMPARE(found,
                 (QStringList{"Flash Cookies Shared Objects", "iCab Browsing History", "OmniWeb Browsing History",
                              "Shiira Download History"}));

        // The database service reaches Shiira's store.
        bool cleaned = false;
        QObject watcher;
        platform::NotificationCenter::defaultCenter().addObserver(
            &watcher, "CleaningStatusUpdateNotification",
            [&cleaned](const platform::Notification &n) { cleaned = n.userInfo.value("didClean").toBool(); });
        platform::NotificationCenter::defaultCenter().post(
            "CleanShiira", nullptr,
            {{"cleaningItemAppName", "Shiira"},
             {"cleaningItemName", "Shiira Download History"},
             {"cleaningItemPath", home.path("Library/Application Support/Shiira/Shiira.sql")}});
        QVERIFY(cleaned);
    }
};

QTEST_MAIN(tst_BrowserModules)
#include "tst_browsermodules.moc"
