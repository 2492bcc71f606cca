#include "ModuleFixture.h"
#include "SystemLists.h"

#include "targets/preview/PreviewController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::UserDefaults;
using namespace systemlists;

namespace {

#define SFL                                                                                                            \
    "Library/Application Support/com.apple.sharedfilelist/com.apple.LSSharedFileList.ApplicationRecentDocuments/"
const QList<TraceSpec> traces = {
    {"Preview Recent Items", "previewRecentItems", 'H', "Library/Preferences/com.apple.Preview.LSSharedFileList.plist",
     "Plist"},
    {"Preview Legacy Recent Items Shared File List", "previewRecentItems", 'H', SFL "com.apple.preview.sfl", "File"},
    {"Preview Recent Items Shared File List", "previewRecentItems", 'H', SFL "com.apple.preview.sfl2", "File"},
    {"Preview Open Windows", "previewRecentItems", 'H',
     "Library/Containers/com.apple.Preview/Data/Library/Saved Application State/com.apple.Preview.savedState", "Dir"},
};
// "targetItemExtraInfo" of each row.
const QStringList extras = {"RecentDocuments", "", "", ""};
#undef SFL
const int traceCount = int(traces.size());

struct Fixture : ModuleFixture<PreviewController>
{
    Fixture()
        : ModuleFixture("scanPreview", traces)
    {}

    QString pathOf(int row) const { return ModuleFixture::pathOf(traces[row]); }

    bool writeEveryTrace()
    {
        return home.writePlist(pathOf(0), sharedFileListPrefs(customListItems({u"scan.pdf"_s})))
            && FakeHome::writeFileAt(pathOf(1), "sfl") && FakeHome::writeFileAt(pathOf(2), "sfl2")
            && FakeHome::writeFileAt(pathOf(3) + u"/windows.plist"_s, QByteArray(900, 'w'));
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
    QVERIFY(f.writeEveryTrace());
    if (!withDocuments)
        QVERIFY(f.home.writePlist(f.pathOf(0), sharedFileListPrefs(QVariantList{})));
    UserDefaults::standardUserDefaults().setBool(keyOn, u"previewRecentItems"_s);
    const QList<resultItemPtr> rows = f.scan();
    const int first = withDocuments ? 0 : 1;
    QStringList expected, shown;
    for (int i = first; keyOn && i < traceCount; ++i)
        expected.append(QString::fromLatin1(traces[i].name) + QLatin1Char('|') + f.pathOf(i) + QLatin1Char('|')
                        + QLatin1String(traces[i].kind) + QLatin1Char('|') + extras[i]);
    for (const resultItemPtr &row : rows)
        shown.append(row->resultItemName() + QLatin1Char('|') + row->resultItemPath() + QLatin1Char('|')
                     + row->resultItemType() + QLatin1Char('|') + row->resultItemExtraInfo());
    QCOMPARE(shown, expected);
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
        QVERIFY(f.writeEveryTrace());
    f.clean(QString::fromLatin1(traces[row].name), f.pathOf(row));
    QCOMPARE(f.recorder.names(), notices);
    QVERIFY(!QFile::exists(f.pathOf(row)));
}

QTEST_MAIN(tst_Preview)
#include "tst_preview.moc"
