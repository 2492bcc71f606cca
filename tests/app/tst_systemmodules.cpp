#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "core/LocationController.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/base/ModuleController.h"
#include "targets/finder/FinderController.h"
#include "targets/preview/PreviewController.h"
#include "targets/quicktime/QuickTimeController.h"
#include "ui/prefs/PrefsController.h"

#include <QApplication>
#include <QtTest>

using platform::UserDefaults;

// The Finder, QuickTime Player and Preview modules as the main interface wires them.
class tst_SystemModules : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
            qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
    }

    void installedModulesOfferTheirLocations_data()
    {
        QTest::addColumn<QString>("finderIdentifier"); // as the Finder's own bundle spells it
        QTest::addColumn<bool>("withPlayers");
        QTest::addColumn<QStringList>("locations");
        QTest::newRow("all three") << "com.apple.finder" << true << QStringList{"Finder", "Preview", "QuickTime"};
        QTest::newRow("identifier as the module spells it") << "com.apple.Finder" << false << QStringList{"Finder"};
        QTest::newRow("no Finder") << QString() << true << QStringList{"Preview", "QuickTime"};
    }
    void installedModulesOfferTheirLocations()
    {
        QFETCH(QString, finderIdentifier);
        QFETCH(bool, withPlayers);
        QFETCH(QStringList, locations);
        FakeHome home;
        if (!finderIdentifier.isEmpty())
            QVERIFY(!home.addApplication(finderIdentifier, "Finder", "System/Library/CoreServices").isEmpty());
        if (withPlayers) {
            QVERIFY(!home.addApplication("com.apple.QuickTimePlayerX", "QuickTime Player").isEmpty());
            QVERIFY(!home.addApplication("com.apple.Preview", "Preview").isEmpty());
        }
        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        defaults.setBool(false, "FirstLaunch");
        for (const char *offered : {"com.apple.Finder", "com.apple.QuickTimePlayerX", "com.apple.Preview"})
            defaults.setBool(true, offered);
        NimbrelAppDelegate::registerDefaultsAndApplyRules();
        const std::unique_ptr<MainInterface> ui = MainInterface::load();

        QVERIFY(ui->finderController() && ui->quickTimeController() && ui->previewController());
        QCOMPARE(ui->finderController()->fileControl(), ui->fileControl());
        QCOMPARE(ui->quickTimeController()->dbControl(), ui->dbControl());
        QVERIFY(ui->previewController()->prefControl());
        QStringList names;
        for (const auto &row : ui->locationControl()->locationArrayController()->arrangedObjects()) {
            if (row->locName() != QLatin1String("Safari"))
                names.append(row->locName());
        }
        names.sort();
        QCOMPARE(names, locations);
    }

    // Every module gets the file service and its pane's owner, and every module that cleans
    // database rows in place gets the database service.
    void everyModuleIsWired()
    {
        FakeHome home;
        UserDefaults::standardUserDefaults().setBool(false, "FirstLaunch");
        NimbrelAppDelegate::registerDefaultsAndApplyRules();
        const std::unique_ptr<MainInterface> ui = MainInterface::load();
        QStringList names;
        for (ModuleController *module : ui->modules()) {
            names.append(module->targetName());
            QCOMPARE(module->fileControl(), ui->fileControl());
            QCOMPARE(module->prefControl(), ui->prefControl());
            const bool cleansRows =
                std::any_of(module->traceTable().cbegin(), module->traceTable().cend(), [](const TraceRow &row) {
                    return row.route == TraceRow::Route::Sql || row.offer == TraceRow::Offer::Count;
                });
            if (cleansRows)
                QCOMPARE(module->dbControl(), ui->dbControl());
        }
        QCOMPARE(names,
                 (QStringList{"Safari", "Chrome", "Chromium", "Opera", "Flock", "Firefox", "SeaMonkey", "Camino",
                              "Finder", "QuickTime", "Preview", "iCab", "OmniWeb", "Shiira", "Flash Cookies"}));
    }
};

QTEST_MAIN(tst_SystemModules)
#include "tst_systemmodules.moc"
