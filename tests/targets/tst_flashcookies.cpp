#include "ModuleHarness.h"

#include "core/LocationController.h"
#include "core/PrefsPaneHost.h"
#include "targets/flashcookies/FlashCookiesController.h"
#include "targets/base/MasterPrefsViewController.h"

#include <memory>

using platform::NotificationCenter;
using platform::UserDefaults;

namespace {

const QString player = QStringLiteral("Library/Preferences/Macromedia/Flash Player");

const QList<Trace> kTraces = {
    {"Flash Cookies History", "flashCookieHistory", "Library/Preferences/Macromedia/Flash Player/macromedia.com", "Dir", ""},
    {"Flash Cookies Shared Objects", "flashCookieSharedObjects", "Library/Preferences/Macromedia/Flash Player/#SharedObjects", "Dir", ""},
};

// Keeps the panes it is handed, as the preferences controller does.
class PaneTray : public PrefsPaneHost
{
public:
    void addItemWithInfo(const QVariantMap &info) override
    {
        panes.emplace_back(qobject_cast<MasterPrefsViewController *>(
            info.value(QStringLiteral("vController")).value<QObject *>()));
    }
    void observeValueForKeyPath(const QString &, int, const QVariant &, const QVariant &) override {}
    std::vector<std::unique_ptr<MasterPrefsViewController>> panes;
};

struct Fixture : ModuleHarness<FlashCookiesController> {
    Fixture() : ModuleHarness(kTraces, QString()) {}
};

} // namespace

class tst_FlashCookies : public QObject
{
    Q_OBJECT
private slots:
    void scanFollowsTable_data() { ModuleHarness<FlashCookiesController>::addKeysOffRows(kTraces); }
    void scanFollowsTable()
    {
        QFETCH(QStringList, keysOff);
        Fixture f;
        f.writeFilesAndFolders();
        f.checkScanWithKeysOff(keysOff);
    }

    // Cleaned through "CleanFlash Cookies", with the blank.
    void moveRowCleans_data() { ModuleHarness<FlashCookiesController>::addMoveRows(kTraces); }
    void moveRowCleans()
    {
        QFETCH(int, row);
        Fixture f;
        f.writeFilesAndFolders();
        f.checkMoveRow(row);
    }

    // No application stands behind the module: the player's folder decides its pane, its
    // location and what a scan can find.
    void installedWhilePlayerFolderExists_data()
    {
        QTest::addColumn<QString>("layout"); // "none", "folder", "file", "traces"
        QTest::addColumn<bool>("installed");
        QTest::addColumn<int>("resultRows");
        QTest::newRow("no player folder") << "none" << false << 0;
        QTest::newRow("folder without subfolders") << "folder" << true << 0;
        QTest::newRow("anything at the folder's path") << "file" << true << 0;
        QTest::newRow("shared objects") << "traces" << true << 2;
    }
    void installedWhilePlayerFolderExists()
    {
        QFETCH(QString, layout);
        QFETCH(bool, installed);
        QFETCH(int, resultRows);
        Fixture f;
        if (layout == QStringLiteral("folder"))
            QVERIFY(f.home.makeDir(player));
        else if (layout == QStringLiteral("file"))
            QVERIFY(f.home.writeFile(player, "not a folder"));
        else if (layout == QStringLiteral("traces"))
            f.writeFilesAndFolders();
        UserDefaults::standardUserDefaults().setBool(true, QStringLiteral("scanFlashCookies"));

        PaneTray tray;
        f.module.setPrefControl(&tray);
        NotificationCenter::defaultCenter().post(QStringLiteral("CheckInstalledApps"), nullptr);
        QCOMPARE(tray.panes.size(), size_t(installed ? 1 : 0));
        if (installed) // the settings window finds the pane's small image by this identifier
            QCOMPARE(tray.panes.front()->identifier(), QStringLiteral("FlashCookies"));
        QCOMPARE(UserDefaults::standardUserDefaults().objectForKey(QStringLiteral("FlashCookies")),
                 installed ? QVariant(true) : QVariant());

        LocationController locations;
        NotificationCenter::defaultCenter().post(QStringLiteral("CheckTargetLocations"), nullptr);
        const QList<locationItemPtr> rows = locations.locationArrayController()->arrangedObjects();
        QCOMPARE(rows.size(), installed ? 1 : 0);
        if (installed) {
            QCOMPARE(rows.first()->locName(), QStringLiteral("Flash Cookies"));
            QCOMPARE(rows.first()->locIdentifier(), QStringLiteral("FlashCookies"));
        }

        // Both rows are offered without a test; the file service keeps those on disk.
        int offered = -1;
        QObject watcher;
        NotificationCenter::defaultCenter().addObserver(
            &watcher, QStringLiteral("CheckTargetFiles"), [&offered](const platform::Notification &n) {
                offered = int(n.userInfo.value(QStringLiteral("targets")).value<targetItemList>().size());
            });
        QCOMPARE(f.scan().size(), resultRows);
        QCOMPARE(offered, 2);
    }
};

QTEST_MAIN(tst_FlashCookies)
#include "tst_flashcookies.moc"
