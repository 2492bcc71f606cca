#include "ModuleHarness.h"

#include "platform/FileManager.h"
#include "platform/PropertyList.h"
#include "targets/omniweb/OmniWebController.h"

using platform::FileManager;
using platform::PropertyList;

namespace {

const QString prefsPath = QStringLiteral("Library/Preferences/com.omnigroup.OmniWeb5.plist");
const QString fossils = QStringLiteral("OWPersistentDownloadedFileFossils");
const QString autoFill = QStringLiteral("OWFormAutoFillSets");

const QList<Trace> kTraces = {
    {"OmniWeb Browsing History", "omniWebBrowsing", "Library/Application Support/OmniWeb 5/History.plist", "File", ""},
    {"OmniWeb History Index", "omniWebBrowsing", "Library/Application Support/OmniWeb 5/HistoryIndex.ox", "File", ""},
    {"OmniWeb History Index Log", "omniWebBrowsing", "Library/Application Support/OmniWeb 5/HistoryIndex.ox.log", "File", ""},
    {"OmniWeb Cache", "omniWebCache", "Library/Caches/com.omnigroup.OmniWeb5/WebKitCache/Cache.db", "File", ""},
    {"OmniWeb Cookies", "omniWebCookies", "Library/Application Support/OmniWeb 5/Cookies.xml", "File", ""},
    {"OmniWeb Download History", "omniWebDownloads", "Library/Preferences/com.omnigroup.OmniWeb5.plist", "Plist", "OWPersistentDownloadedFileFossils"},
    {"OmniWeb Form Values", "omniWebForms", "Library/Preferences/com.omnigroup.OmniWeb5.plist", "Plist", "OWFormAutoFillSets"},
    {"OmniWeb Webpage Icons", "omniWebWebpageIcons", "Library/Application Support/OmniWeb 5/Icons/WebpageIcons.db", "File", ""},
};
const QString downloadsRow = QStringLiteral("OmniWeb Download History");
const QString formsRow = QStringLiteral("OmniWeb Form Values");

QVariantMap omniWebPrefs()
{
    return {{fossils, QVariantList{QVariantMap{{QStringLiteral("URL"), QStringLiteral("https://example.org/a.zip")},
                                               {QStringLiteral("Size"), qint64(5000000000)}}}},
            {autoFill, QVariantMap{{QStringLiteral("Home"), QVariantMap{{QStringLiteral("email"), QStringLiteral("me@example.org")}}}}},
            {QStringLiteral("OWHomePage"), QStringLiteral("https://example.org/")},
            {QStringLiteral("OWFontScale"), 1.0}};
}

struct Fixture : ModuleHarness<OmniWebController> {
    Fixture() : ModuleHarness(kTraces, QStringLiteral("OmniWeb")) {}
    QString prefs() const { return home.path(prefsPath); }
};

} // namespace

class tst_OmniWeb : public QObject
{
    Q_OBJECT
private slots:
    void scanFollowsTable_data() { ModuleHarness<OmniWebController>::addKeysOffRows(kTraces); }
    void scanFollowsTable()
    {
        QFETCH(QStringList, keysOff);
        Fixture f;
        f.writeFilesAndFolders();
        QVERIFY(f.home.writePlist(prefsPath, omniWebPrefs()));
        f.checkScanWithKeysOff(keysOff);
    }

    void moveRowCleans_data() { ModuleHarness<OmniWebController>::addMoveRows(kTraces); }
    void moveRowCleans()
    {
        QFETCH(int, row);
        Fixture f;
        f.writeFilesAndFolders();
        f.checkMoveRow(row);
    }

    // Each key is offered on its own count; an empty collection of either kind offers nothing.
    void listRowsFollowTheirKeys_data()
    {
        QTest::addColumn<QVariant>("fossilsValue");
        QTest::addColumn<QVariant>("autoFillValue");
        QTest::addColumn<QStringList>("expected");
        const QVariant list = QVariantList{QStringLiteral("x")};
        const QVariant map = QVariantMap{{QStringLiteral("k"), 1}};
        QTest::newRow("both") << list << map << QStringList{downloadsRow, formsRow};
        QTest::newRow("downloads empty") << QVariant(QVariantList{}) << map << QStringList{formsRow};
        QTest::newRow("form sets empty") << list << QVariant(QVariantMap{}) << QStringList{downloadsRow};
        QTest::newRow("neither key") << QVariant() << QVariant() << QStringList{};
    }
    void listRowsFollowTheirKeys()
    {
        QFETCH(QVariant, fossilsValue);
        QFETCH(QVariant, autoFillValue);
        QFETCH(QStringList, expected);
        Fixture f;
        QVariantMap prefs{{QStringLiteral("OWHomePage"), QStringLiteral("https://example.org/")}};
        if (fossilsValue.isValid())
            prefs.insert(fossils, fossilsValue);
        if (autoFillValue.isValid())
            prefs.insert(autoFill, autoFillValue);
        QVERIFY(f.home.writePlist(prefsPath, prefs));
        QCOMPARE(f.scannedNames(), expected);
    }

    // Two rewrites of one list in one run: each reads what the one before wrote.
    void cleaningListRows_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QStringList>("keysGone");
        QTest::newRow("form values only") << QStringList{formsRow} << QStringList{autoFill};
        QTest::newRow("downloads only") << QStringList{downloadsRow} << QStringList{fossils};
        QTest::newRow("both") << QStringList{downloadsRow, formsRow} << QStringList{fossils, autoFill};
        QTest::newRow("both, forms first") << QStringList{formsRow, downloadsRow} << QStringList{fossils, autoFill};
    }
    void cleaningListRows()
    {
        QFETCH(QStringList, rows);
        QFETCH(QStringList, keysGone);
        Fixture f;
        QVERIFY(f.home.writePlist(prefsPath, omniWebPrefs(), PropertyList::Format::Xml));
        for (const QString &row : rows)
            f.clean(row, f.prefs());
        QCOMPARE(f.recorder.names(), QStringList(rows.size(), CleaningRecorder::removal));
        const auto written = PropertyList::fromFile(f.prefs());
        QVERIFY(written);
        QCOMPARE(written->format(), PropertyList::Format::Xml);
        QVariantMap expected = omniWebPrefs();
        for (const QString &key : keysGone)
            expected.remove(key);
        QCOMPARE(written->toVariant().toMap(), expected);
    }

    // A list that cannot be rewritten stays whole, and so neither row is cleaned.
    void damagedListIsLeftAndBothRowsNotCleaned()
    {
        Fixture f;
        const QByteArray damaged("<?xml version=\"1.0\"?><plist><dict><key>OWFormAutoFillSets</key><array>");
        QVERIFY(f.home.writeFile(prefsPath, damaged));
        QVERIFY(f.scannedNames().isEmpty());
        f.clean(downloadsRow, f.prefs());
        f.clean(formsRow, f.prefs());
        QCOMPARE(f.recorder.names(), QStringList(2, CleaningRecorder::status));
        for (const CleaningRecorder::Event &e : f.recorder.events)
            QCOMPARE(e.info.value(QStringLiteral("didClean")).toBool(), false);
        QCOMPARE(FileManager::defaultManager().contentsAtPath(f.prefs()).value_or(QByteArray()), damaged);
    }
};

QTEST_MAIN(tst_OmniWeb)
#include "tst_omniweb.moc"
