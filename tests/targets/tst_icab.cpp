#include "ModuleHarness.h"

#include "platform/PropertyList.h"
#include "targets/icab/iCabController.h"
#include "targets/icab/iCabPrefsViewController.h"

using platform::PropertyList;
using platform::UserDefaults;

namespace {

const QString prefsPath = QStringLiteral("Library/Preferences/de.icab.iCab.plist");

const QList<Trace> kTraces = {
    {"iCab Browsing History", "iCabBrowsing", "Library/Preferences/iCab/iCab 4 History", "File", ""},
    {"iCab Cache", "iCabCache", "Library/Caches/iCab/Cache.db", "File", ""},
    {"iCab Cookies", "iCabCookies", "Library/Preferences/iCab/iCab 4 Cookies", "File", ""},
    {"iCab Download History", "iCabDownloads", "Library/Preferences/iCab/iCab 4 Downloads", "File", ""},
    {"iCab Last Session Information", "iCabLastSession", "Library/Preferences/iCab/iCab 4 AutoSaveSession", "File", ""},
    {"iCab Open Windows", "iCabLastSession", "Library/Saved Application State/de.icab.iCab.savedState", "Dir", ""},
    {"iCab Recent Searches", "iCabRecentSearches", "Library/Preferences/de.icab.iCab.plist", "Plist", "RecentSearches"},
    {"iCab Top Sites", "iCabTopSites", "Library/Preferences/iCab/iCab 4 TopTen", "File", ""},
    {"iCab Webpage Icons", "iCabWebpageIcons", "Library/Icons/WebpageIcons.db", "File", ""},
    {"iCab DOM Storage", "iCabDOM", "Library/Preferences/iCab/Databases", "Dir", ""},
};
constexpr int searchesRow = 6;

QVariantMap iCabPrefs()
{
    return {{QStringLiteral("RecentSearches"), QVariantList{QStringLiteral("train times"), QStringLiteral("recipes")}},
            {QStringLiteral("HomePage"), QStringLiteral("https://example.org/")},
            {QStringLiteral("WindowFrame"), QVariantMap{{QStringLiteral("x"), 12}, {QStringLiteral("scale"), 1.5}}},
            {QStringLiteral("Launched"), QDateTime(QDate(2022, 1, 2), QTime(3, 4, 5), Qt::UTC)}};
}

struct Fixture : ModuleHarness<iCabController> {
    Fixture() : ModuleHarness(kTraces, QStringLiteral("iCab")) {}
};

} // namespace

class tst_iCab : public QObject
{
    Q_OBJECT
private slots:
    void scanFollowsTable_data() { ModuleHarness<iCabController>::addKeysOffRows(kTraces); }
    void scanFollowsTable()
    {
        QFETCH(QStringList, keysOff);
        Fixture f;
        f.writeFilesAndFolders();
        QVERIFY(f.home.writePlist(prefsPath, iCabPrefs()));
        f.checkScanWithKeysOff(keysOff);
    }

    void moveRowCleans_data() { ModuleHarness<iCabController>::addMoveRows(kTraces); }
    void moveRowCleans()
    {
        QFETCH(int, row);
        Fixture f;
        f.writeFilesAndFolders();
        f.checkMoveRow(row);
    }

    // The pane's category names are the module's own keys: creating it decides the
    // switches that hold no stored choice, and cookies are off.
    void paneGivesTheModuleItsDefaults()
    {
        Fixture f;
        f.writeFilesAndFolders();
        UserDefaults &d = UserDefaults::standardUserDefaults();
        for (const Trace &t : kTraces)
            d.removeObjectForKey(QString::fromLatin1(t.key));
        d.registerDefaults({{QStringLiteral("iCabCookies"), true}});
        QCOMPARE(f.scannedNames(), QStringList{QStringLiteral("iCab Cookies")});

        iCabPrefsViewController pane;
        QCOMPARE(pane.title(), QStringLiteral("iCab Settings"));
        QCOMPARE(pane.identifier(), QStringLiteral("de.icab.iCab"));
        QStringList expected;
        for (int i = 0; i < kTraces.size(); ++i) {
            if (i != 2 && i != searchesRow)
                expected.append(f.nameOf(i));
        }
        QCOMPARE(f.scannedNames(), expected);
        // "ScaniCab" is the pane's own name; the master switch keeps its own default.
        QVERIFY(d.registeredDefaults().value(QStringLiteral("ScaniCab")).toBool());
        QVERIFY(!d.registeredDefaults().contains(QStringLiteral("scaniCab")));
    }

    void cleaningSearchesKeepsTheRest_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("withKey");
        QTest::newRow("binary") << int(PropertyList::Format::Binary) << true;
        QTest::newRow("XML") << int(PropertyList::Format::Xml) << true;
        // An absent key changes nothing, and the list is still written back.
        QTest::newRow("XML, key absent") << int(PropertyList::Format::Xml) << false;
    }
    void cleaningSearchesKeepsTheRest()
    {
        QFETCH(int, format);
        QFETCH(bool, withKey);
        Fixture f;
        QVariantMap prefs = iCabPrefs();
        if (!withKey)
            prefs.remove(QStringLiteral("RecentSearches"));
        f.checkKeyRewrite(searchesRow, prefs, PropertyList::Format(format));
    }
};

QTEST_MAIN(tst_iCab)
#include "tst_icab.moc"
