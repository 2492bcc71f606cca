#include "FlashCookiesFixture.h"
#include "PaneShelf.h"

#include "core/Keys.h"
#include "core/LocationController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::NotificationCenter;
using platform::UserDefaults;
using namespace flashcookiesfixture;

namespace {

const QString player = u"Library/Preferences/Macromedia/Flash Player"_s;

} // namespace

class tst_FlashCookies : public QObject
{
    Q_OBJECT
private slots:
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
        if (layout == u"folder"_s)
            QVERIFY(f.home.makeDir(player));
        else if (layout == u"file"_s)
            QVERIFY(f.home.writeFile(player, "not a folder"));
        else if (layout == u"traces"_s)
            QVERIFY(f.writeMissingTraces());
        UserDefaults::standardUserDefaults().setBool(true, u"scanFlashCookies"_s);

        PaneShelf tray;
        f.module.setPrefControl(&tray);
        NotificationCenter::defaultCenter().post(keys::CheckInstalledApps, nullptr);
        QCOMPARE(tray.panes.size(), size_t(installed ? 1 : 0));
        if (installed) // the settings window finds the pane's small image by this identifier
            QCOMPARE(tray.panes.front()->identifier(), u"FlashCookies"_s);
        QCOMPARE(UserDefaults::standardUserDefaults().objectForKey(u"FlashCookies"_s),
                 installed ? QVariant(true) : QVariant());

        LocationController locations;
        NotificationCenter::defaultCenter().post(keys::CheckTargetLocations, nullptr);
        const QList<locationItemPtr> rows = locations.locationArrayController()->arrangedObjects();
        QCOMPARE(rows.size(), installed ? 1 : 0);
        if (installed) {
            QCOMPARE(rows.first()->locName(), u"Flash Cookies"_s);
            QCOMPARE(rows.first()->locIdentifier(), u"FlashCookies"_s);
        }

        // Both rows are offered without a test; the file service keeps those on disk.
        QCOMPARE(f.offered().size(), 2);
        QCOMPARE(f.results.arrangedObjects().size(), resultRows);
    }
};

QTEST_MAIN(tst_FlashCookies)
#include "tst_flashcookies.moc"
