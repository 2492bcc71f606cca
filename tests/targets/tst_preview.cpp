#include "ModuleFixture.h"
#include "SystemLists.h"

#include "targets/preview/PreviewController.h"

#include <QtTest>

using platform::UserDefaults;
using namespace systemlists;

namespace {

#define SFL "Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.ApplicationRecentDocuments/"
const Trace traces[] = {
    {"Preview Recent Items", "previewRecentItems", "Library/Preferences/com.apple.Preview.LSSharedFileList.plist", "Plist", "RecentDocuments"},
    {"Preview Legacy Recent Items Shared File List", "previewRecentItems", SFL "com.apple.preview.sfl", "File", ""},
    {"Preview Recent Items Shared File List", "previewRecentItems", SFL "com.apple.preview.sfl2", "File", ""},
    {"Preview Open Windows", "previewRecentItems", "Library/Containers/com.apple.Preview/Data/Library/Saved Application State/com.apple.Preview.savedState", "Dir", ""},
};
#undef SFL
constexpr int traceCount = int(sizeof(traces) / sizeof(traces[0]));

struct Fixture : ModuleFixture<PreviewController> {
    Fixture() : ModuleFixture({QStringLiteral("previewRecentItems")}, QStringLiteral("Preview")) {}

    QString pathOf(int row) const { return home.path(QString::fromLatin1(traces[row].path)); }

    void writeEveryTrace()
    {
        home.writePlist(pathOf(0), sharedFileListPrefs(customListItems({QStringLiteral("scan.pdf")})));
        FakeHome::writeFileAt(pathOf(1), "sfl");
        FakeHome::writeFileAt(pathOf(2), "sfl2");
        FakeHome::writeFileAt(pathOf(3) + QStringLiteral("/windows.plist"), QByteArray(900, 'w'));
    }
};

} // namespace

class tst_Preview : public QObject
{
    Q_OBJECT
private slots:
    void scanGivesEveryRowInOrder_data();
    void scanGivesEveryRowInOrder();
    void cleaningSharedFileListSetsItsFlag_data();
    void cleaningSharedFileListSetsItsFlag();
};

void tst_Preview::scanGivesEveryRowInOrder_data()
{
    QTest::addColumn<bool>("keyOn");
    QTest::addColumn<bool>("withDocuments");
    QTest::newRow("every row") << true << true;
    QTest::newRow("no recent documents") << true << false;
    QTest::newRow("key off: nothing, the saved state included") << false << true;
}

void tst_Preview::scanGivesEveryRowInOrder()
{
    QFETCH(bool, keyOn);
    QFETCH(bool, withDocuments);
    Fixture f;
    f.writeEveryTrace();
    if (!withDocuments)
        QVERIFY(f.home.writePlist(f.pathOf(0), sharedFileListPrefs(QVariantList{})));
    UserDefaults::standardUserDefaults().setBool(keyOn, QStringLiteral("previewRecentItems"));
    const QList<resultItemPtr> rows = f.scan();
    const int first = withDocuments ? 0 : 1;
    QCOMPARE(rows.size(), keyOn ? traceCount - first : 0);
    for (int i = 0; i < rows.size() && !QTest::currentTestFailed(); ++i)
        compareRow(rows[i], traces[first + i], f.pathOf(first + i), QStringLiteral("com.apple.Preview"));
}

void tst_Preview::cleaningSharedFileListSetsItsFlag_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QStringList>("notices");
    const QStringList shared{CleaningRecorder::removal, CleaningRecorder::sharedFileList};
    QTest::newRow("legacy") << 1 << true << shared;
    QTest::newRow("current") << 2 << true << shared;
    QTest::newRow("current, gone") << 2 << false << QStringList{CleaningRecorder::status};
    QTest::newRow("open windows") << 3 << true << QStringList{CleaningRecorder::removal};
}

void tst_Preview::cleaningSharedFileListSetsItsFlag()
{
    QFETCH(int, row);
    QFETCH(bool, present);
    QFETCH(QStringList, notices);
    Fixture f;
    if (present)
        f.writeEveryTrace();
    f.clean(QString::fromLatin1(traces[row].name), f.pathOf(row));
    QCOMPARE(f.recorder.names(), notices);
    QVERIFY(!QFile::exists(f.pathOf(row)));
}

QTEST_MAIN(tst_Preview)
#include "tst_preview.moc"
