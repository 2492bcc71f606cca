#include "ModuleFixture.h"
#include "SystemLists.h"

#include "targets/preview/PreviewController.h"
#include "targets/quicktime/QuickTimeController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::PropertyList;
using platform::UserDefaults;
using namespace systemlists;

// The recent-documents list that QuickTime Player and Preview share: when it is offered, and
// how cleaning it keeps everything but the entries.
namespace {

const QList<TraceSpec> quickTimeRow = {{"QuickTime Recent Items", "quickTimeRecentItems", 'H',
                                        "Library/Preferences/com.apple.QuickTimePlayerX.LSSharedFileList.plist",
                                        "Plist"}};
const QList<TraceSpec> previewRow = {{"Preview Recent Items", "previewRecentItems", 'H',
                                      "Library/Preferences/com.apple.Preview.LSSharedFileList.plist", "Plist"}};
const QString quickTimeList = QString::fromLatin1(quickTimeRow.first().path);
const QString previewList = QString::fromLatin1(previewRow.first().path);

struct Outcome
{
    QStringList offered;
    QStringList notices;
    QVariantMap statusOrRemoval;
    bool temporaryFolderEmpty = false;
};

// Scans the module with the list written as given (bytes win over a tree), then cleans its
// recent-items row.
template <class Module>
Outcome scanAndClean(const char *scanKey, const QList<TraceSpec> &table, const QString &list, const QVariant &tree,
                     const QByteArray &bytes, PropertyList::Format format)
{
    ModuleFixture<Module> f(scanKey, table);
    if (!bytes.isEmpty())
        f.home.writeFile(list, bytes);
    else if (tree.isValid())
        f.home.writePlist(list, tree, format);
    Outcome outcome;
    outcome.offered = f.offered();
    f.clean(f.module.targetName() + u" Recent Items"_s, f.home.path(list));
    outcome.notices = f.recorder.names();
    if (!f.recorder.events.isEmpty())
        outcome.statusOrRemoval = f.recorder.events.first().info;
    outcome.temporaryFolderEmpty = f.temporaryFolderEmpty();
    return outcome;
}

Outcome scanAndClean(const QString &module, const QVariant &tree, const QByteArray &bytes = {},
                     PropertyList::Format format = PropertyList::Format::Binary)
{
    if (module == u"QuickTime"_s)
        return scanAndClean<QuickTimeController>("scanQuickTime", quickTimeRow, quickTimeList, tree, bytes, format);
    return scanAndClean<PreviewController>("scanPreview", previewRow, previewList, tree, bytes, format);
}

} // namespace

class tst_RecentDocuments : public QObject
{
    Q_OBJECT
private slots:
    void offeredWhileDocumentsHaveEntries_data();
    void offeredWhileDocumentsHaveEntries();
    void rewriteKeepsEverythingButTheEntries_data();
    void rewriteKeepsEverythingButTheEntries();
    void unusableListStaysInPlace_data();
    void unusableListStaysInPlace();
};

void tst_RecentDocuments::offeredWhileDocumentsHaveEntries_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QVariant>("tree");
    QTest::addColumn<bool>("offered");
    QVariantMap noItems = sharedFileListPrefs(QVariant());
    QVariantMap otherList{{u"RecentDocuments"_s, recentList(QVariantList{})},
                          {u"RecentServers"_s, recentList(customListItems({u"smb://a"_s}))}};
    for (const char *module : {"QuickTime", "Preview"}) {
        QTest::addRow("%s, entries", module)
            << QString::fromLatin1(module) << QVariant(sharedFileListPrefs(customListItems({u"a.mov"_s}))) << true;
        QTest::addRow("%s, empty CustomListItems", module)
            << QString::fromLatin1(module) << QVariant(sharedFileListPrefs(QVariantList{})) << false;
        QTest::addRow("%s, no CustomListItems", module) << QString::fromLatin1(module) << QVariant(noItems) << false;
        QTest::addRow("%s, entries only in another list", module)
            << QString::fromLatin1(module) << QVariant(otherList) << false;
        QTest::addRow("%s, no file", module) << QString::fromLatin1(module) << QVariant() << false;
    }
}

void tst_RecentDocuments::offeredWhileDocumentsHaveEntries()
{
    QFETCH(QString, module);
    QFETCH(QVariant, tree);
    QFETCH(bool, offered);
    const Outcome outcome = scanAndClean(module, tree);
    QCOMPARE(outcome.offered.contains(module + u" Recent Items"_s), offered);
}

void tst_RecentDocuments::rewriteKeepsEverythingButTheEntries_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("withEntries");
    for (const char *module : {"QuickTime", "Preview"}) {
        for (auto format : {PropertyList::Format::Binary, PropertyList::Format::Xml}) {
            const char *name = format == PropertyList::Format::Binary ? "binary" : "XML";
            QTest::addRow("%s, %s", module, name) << QString::fromLatin1(module) << int(format) << true;
        }
        QTest::addRow("%s, entries gone since the scan", module)
            << QString::fromLatin1(module) << int(PropertyList::Format::Xml) << false;
    }
}

void tst_RecentDocuments::rewriteKeepsEverythingButTheEntries()
{
    QFETCH(QString, module);
    QFETCH(int, format);
    QFETCH(bool, withEntries);
    const QVariantMap tree =
        sharedFileListPrefs(withEntries ? QVariant(customListItems({u"a.mov"_s, u"b.pdf"_s})) : QVariant());
    const QString list = module == u"QuickTime"_s ? quickTimeList : previewList;

    const bool quickTime = module == u"QuickTime"_s;
    ModuleFixture<ModuleController> f(
        [quickTime]() -> std::unique_ptr<ModuleController> {
            if (quickTime)
                return std::make_unique<QuickTimeController>();
            return std::make_unique<PreviewController>();
        },
        quickTime ? "scanQuickTime" : "scanPreview", quickTime ? quickTimeRow : previewRow);
    QCOMPARE(f.module.targetName(), module);
    QVERIFY(f.home.writePlist(list, tree, PropertyList::Format(format)));
    // A lock file is the Finder's business only.
    QVERIFY(f.home.writeFile(list + u".lockfile"_s, "held"));
    const QString path = f.home.path(list);
    const QByteArray original = FileManager::defaultManager().contentsAtPath(path).value_or(QByteArray());
    f.clean(module + u" Recent Items"_s, path);

    QCOMPARE(f.recorder.names(), (QStringList{CleaningRecorder::removal, CleaningRecorder::prefsDaemon}));
    QVariantMap expected = tree;
    QVariantMap documents = expected.value(u"RecentDocuments"_s).toMap();
    documents.remove(u"CustomListItems"_s);
    expected.insert(u"RecentDocuments"_s, documents);
    QCOMPARE(nodesOfFile(path), nodes(expected));
    QCOMPARE(PropertyList::fromFile(path)->format(), PropertyList::Format(format));
    QVERIFY(QFile::exists(path + u".lockfile"_s));
    const QString moved = f.recorder.events[0].info.value(u"removalItemPath"_s).toString();
    QCOMPARE(FileManager::defaultManager().contentsAtPath(moved).value_or(QByteArray()), original);
    QVERIFY(!f.offered().contains(module + u" Recent Items"_s));
}

void tst_RecentDocuments::unusableListStaysInPlace_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QByteArray>("bytes"); // empty: no file
    for (const char *module : {"QuickTime", "Preview"}) {
        QTest::addRow("%s, damaged binary", module)
            << QString::fromLatin1(module) << QByteArray("bplist00\xd1\x01\x02", 11);
        QTest::addRow("%s, not a list", module) << QString::fromLatin1(module) << QByteArray("RecentDocuments = ();");
        QTest::addRow("%s, missing", module) << QString::fromLatin1(module) << QByteArray();
    }
}

void tst_RecentDocuments::unusableListStaysInPlace()
{
    QFETCH(QString, module);
    QFETCH(QByteArray, bytes);
    const Outcome outcome = scanAndClean(module, QVariant(), bytes);
    QVERIFY(!outcome.offered.contains(module + u" Recent Items"_s));
    // Not cleaned, no daemon notice, nothing set aside.
    QCOMPARE(outcome.notices, QStringList{CleaningRecorder::status});
    QCOMPARE(outcome.statusOrRemoval.value(u"didClean"_s).toBool(), false);
    QVERIFY(outcome.temporaryFolderEmpty);
}

QTEST_MAIN(tst_RecentDocuments)
#include "tst_recentdocuments.moc"
