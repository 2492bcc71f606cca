#include "OmniWebFixture.h"

#include "platform/files/FileManager.h"
#include "platform/plist/PropertyList.h"

#include <QDateTime>
#include <QtTest>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::PropertyList;
using namespace omniwebfixture;

namespace {

const QString downloadsRow = u"OmniWeb Download History"_s;
const QString formsRow = u"OmniWeb Form Values"_s;

} // namespace

class tst_OmniWeb : public QObject
{
    Q_OBJECT
private slots:
    // Each key is offered on its own count; an empty collection of either kind offers nothing.
    void listRowsFollowTheirKeys_data()
    {
        QTest::addColumn<QVariant>("fossilsValue");
        QTest::addColumn<QVariant>("autoFillValue");
        QTest::addColumn<QStringList>("expected");
        const QVariant list = QVariantList{u"x"_s};
        const QVariant map = QVariantMap{{u"k"_s, 1}};
        QTest::newRow("both") << list << map << QStringList{downloadsRow, formsRow};
        QTest::newRow("downloads empty") << QVariant(QVariantList{}) << map << QStringList{formsRow};
        QTest::newRow("form sets empty") << list << QVariant(QVariantMap{}) << QStringList{downloadsRow};
        QTest::newRow("neither key") << QVariant() << QVariant() << QStringList{};
        // One long history hides neither row of the list it shares.
        QVariantList downloads;
        for (int i = 0; i < 20000; ++i) {
            const QString name = u"file%1.zip"_s.arg(i);
            downloads.append(QVariantMap{{u"URL"_s, u"https://example.org/"_s + name},
                                         {u"Path"_s, u"~/Downloads/"_s + name},
                                         {u"Referrer"_s, u"https://example.org/list"_s},
                                         {u"MIMEType"_s, u"application/zip"_s},
                                         {u"Size"_s, qint64(5000 + i)},
                                         {u"Status"_s, qint64(1)},
                                         {u"Date"_s, QDateTime::fromSecsSinceEpoch(1200000000 + i, Qt::UTC)}});
        }
        QTest::newRow("20,000 downloads") << QVariant(downloads) << map << QStringList{downloadsRow, formsRow};
    }
    void listRowsFollowTheirKeys()
    {
        QFETCH(QVariant, fossilsValue);
        QFETCH(QVariant, autoFillValue);
        QFETCH(QStringList, expected);
        Fixture f;
        QVariantMap prefs{{u"OWHomePage"_s, u"https://example.org/"_s}};
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
        for (const QString &row : rows) {
            const QList<CleaningRecorder::Event> events = f.clean(row, f.prefs());
            QCOMPARE(events.size(), 1);
            QCOMPARE(events.first().name, CleaningRecorder::removal);
        }
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
        QCOMPARE(f.cleanInPlace(downloadsRow, f.prefs()), false);
        QCOMPARE(f.cleanInPlace(formsRow, f.prefs()), false);
        QCOMPARE(FileManager::defaultManager().contentsAtPath(f.prefs()).value_or(QByteArray()), damaged);
        QVERIFY(f.temporaryFolderEmpty());
    }
};

QTEST_MAIN(tst_OmniWeb)
#include "tst_omniweb.moc"
