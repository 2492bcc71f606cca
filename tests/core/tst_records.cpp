#include "core/records/QZStatusObject.h"
#include "core/records/locationItem.h"
#include "core/records/resultItem.h"
#include "core/records/targetItem.h"

#include <QCoreApplication>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <functional>
#include <thread>

namespace {

// A record kind for the summary table: field names in order and, for each field, a setter
// that gives it a value on a record made with `make`.
struct RecordKind
{
    QStringList fields;
    std::function<std::shared_ptr<void>()> make;
    std::function<void(const std::shared_ptr<void> &, int field)> fill;
    std::function<QVariantMap(const std::shared_ptr<void> &)> summary;
};

template <class R>
std::shared_ptr<R> as(const std::shared_ptr<void> &p)
{
    return std::static_pointer_cast<R>(p);
}

RecordKind kind(const QString &name)
{
    const auto image = std::make_shared<QImage>(4, 4, QImage::Format_ARGB32);
    if (name == QLatin1String("targetItem"))
        return {{"targetItemPath", "targetItemType", "targetItemClassification", "targetItemExtraInfo",
                 "targetItemSize", "targetItemIsChecked"},
                [] { return std::shared_ptr<void>(targetItem::create()); },
                [](const std::shared_ptr<void> &p, int f) {
                    auto r = as<targetItem>(p);
                    switch (f) {
                    case 0:
                        r->setTargetItemPath("/Users/a/Library/Safari/History.db");
                        break;
                    case 1:
                        r->setTargetItemType("File");
                        break;
                    case 2:
                        r->setTargetItemClassification("Browsing History");
                        break;
                    case 3:
                        r->setTargetItemExtraInfo(QString(""));
                        break; // empty text is a value
                    case 4:
                        r->setTargetItemSize(0);
                        break; // so is zero
                    case 5:
                        r->setTargetItemIsChecked(false);
                        break; // and NO
                    }
                },
                [](const std::shared_ptr<void> &p) { return as<targetItem>(p)->summary(); }};
    if (name == QLatin1String("resultItem"))
        return {{"resultItemPath", "resultItemType", "resultItemName", "resultItemExtraInfo", "resultItemSize",
                 "resultItemConvertedSize", "resultItemIsChecked", "resultItemImage", "resultStatus",
                 "resultItemStatusText", "resultItemIdentifier", "resultItemAppName"},
                [] { return std::shared_ptr<void>(resultItem::create()); },
                [image](const std::shared_ptr<void> &p, int f) {
                    auto r = as<resultItem>(p);
                    switch (f) {
                    case 0:
                        r->setResultItemPath("/p");
                        break;
                    case 1:
                        r->setResultItemType("Dir");
                        break;
                    case 2:
                        r->setResultItemName("Safari Cache");
                        break;
                    case 3:
                        r->setResultItemExtraInfo("");
                        break;
                    case 4:
                        r->setResultItemSize(0);
                        break;
                    case 5:
                        r->setResultItemConvertedSize("   4.0 KB");
                        break;
                    case 6:
                        r->setResultItemIsChecked(true);
                        break;
                    case 7:
                        r->setResultItemImage(image);
                        break;
                    case 8:
                        r->setResultStatus(QZStatusObject::create());
                        break;
                    case 9:
                        r->setResultItemStatusText("- Waiting");
                        break;
                    case 10:
                        r->setResultItemIdentifier("com.apple.Safari");
                        break;
                    case 11:
                        r->setResultItemAppName("Safari");
                        break;
                    }
                },
                [](const std::shared_ptr<void> &p) { return as<resultItem>(p)->summary(); }};
    return {{"locName", "locIdentifier", "locInfo", "locImage", "locIsChecked"},
            [] { return std::shared_ptr<void>(locationItem::create()); },
            [image](const std::shared_ptr<void> &p, int f) {
                auto r = as<locationItem>(p);
                switch (f) {
                case 0:
                    r->setLocName("Flash Cookies");
                    break;
                case 1:
                    r->setLocIdentifier("FlashCookies");
                    break;
                case 2:
                    r->setLocInfo("<b>Flash Cookies</b><br>2 items");
                    break;
                case 3:
                    r->setLocImage(image);
                    break;
                case 4:
                    r->setLocIsChecked(true);
                    break;
                }
            },
            [](const std::shared_ptr<void> &p) { return as<locationItem>(p)->summary(); }};
}

// A stand-in for the table view that shows spinners: it holds one child per spinner placed
// in it and drops it when the spinner is taken out.
struct SpinnerView
{
    QList<platform::ProgressIndicator *> shown;
    std::atomic<int> removalsOffMainThread{0};
    void place(const platform::ProgressIndicatorPtr &spinner)
    {
        platform::ProgressIndicator *raw = spinner.get();
        shown.append(raw);
        spinner->setHost(this, [this, raw] {
            if (QThread::currentThread() != QCoreApplication::instance()->thread())
                ++removalsOffMainThread;
            shown.removeAll(raw);
        });
    }
};

} // namespace

class tst_records : public QObject
{
    Q_OBJECT

private slots:
    void summaryStopsAtFirstEmptyField_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<int>("emptyField"); // -1: every field set

        for (const QString record : {"targetItem", "resultItem", "locationItem"}) {
            const int n = int(kind(record).fields.size());
            for (int empty = -1; empty < n; ++empty)
                QTest::addRow("%s, %s empty", qPrintable(record),
                              empty < 0 ? "nothing" : qPrintable(kind(record).fields[empty]))
                    << record << empty;
        }
    }
    void summaryStopsAtFirstEmptyField()
    {
        QFETCH(QString, record);
        QFETCH(int, emptyField);
        const RecordKind k = kind(record);
        const auto r = k.make();
        for (int f = 0; f < k.fields.size(); ++f)
            if (f != emptyField)
                k.fill(r, f);

        const QVariantMap summary = k.summary(r);
        const int expected = emptyField < 0 ? int(k.fields.size()) : emptyField;
        QStringList keys = summary.keys();
        QStringList want = k.fields.mid(0, expected);
        keys.sort();
        want.sort();
        QCOMPARE(keys, want);
    }

    void newRecordsHaveEmptySummaries()
    {
        QVERIFY(targetItem::create()->summary().isEmpty());
        QVERIFY(resultItem::create()->summary().isEmpty());
        QVERIFY(locationItem::create()->summary().isEmpty());
        const auto row = resultItem::create();
        QVERIFY(!row->resultItemSize().has_value());
        QVERIFY(!row->resultItemIsChecked().has_value());
        QVERIFY(row->resultItemPath().isNull());
        QVERIFY(!row->resultStatus());
    }

    void resultWithoutSizeKeepsTheFirstFour()
    {
        const auto row = resultItem::create();
        row->setResultItemPath("/Users/a/Library/Cookies/Cookies.plist");
        row->setResultItemType("File");
        row->setResultItemName("Safari Cookies");
        row->setResultItemExtraInfo("");
        row->setResultItemConvertedSize("   4.0 KB");
        row->setResultItemAppName("Safari");
        const QVariantMap summary = row->summary();
        QCOMPARE(summary.size(), 4);
        QCOMPARE(summary.value("resultItemName").toString(), QString("Safari Cookies"));
        QVERIFY(!summary.contains("resultItemAppName"));

        row->setResultItemSize(Q_UINT64_C(5000000000)); // more than 32 bits survive
        QCOMPARE(row->summary().value("resultItemSize").toULongLong(), Q_UINT64_C(5000000000));
    }

    void copyFieldsKeepTheirOwnValue()
    {
        QString path = "/Users/a/Library/Safari/History.db";
        const auto item = targetItem::create();
        item->setTargetItemPath(path);
        path.append("-wal");
        path[0] = QLatin1Char('X');
        QCOMPARE(item->targetItemPath(), QString("/Users/a/Library/Safari/History.db"));

        // What a getter hands out is a copy too.
        QString read = item->targetItemPath();
        read.clear();
        QCOMPARE(item->targetItemPath(), QString("/Users/a/Library/Safari/History.db"));
    }

    void sharedFieldsShowChangesToTheObject()
    {
        auto icon = std::make_shared<QImage>(2, 2, QImage::Format_ARGB32);
        icon->fill(Qt::red);
        const auto row = resultItem::create();
        const auto location = locationItem::create();
        row->setResultItemImage(icon);
        location->setLocImage(icon);
        icon->fill(Qt::blue);
        QCOMPARE(row->resultItemImage()->pixelColor(0, 0), QColor(Qt::blue));
        QCOMPARE(location->locImage()->pixelColor(1, 1), QColor(Qt::blue));

        const auto status = QZStatusObject::create();
        row->setResultStatus(status);
        status->setObjStatus("Waiting");
        QCOMPARE(row->resultStatus()->objStatus(), QString("Waiting"));
        QCOMPARE(row->resultStatus().get(), status.get());
    }

    void concurrentAccessNeverTearsValues()
    {
        const auto row = resultItem::create();
        const QString a = QString("- Cleaning (%1%)").arg(42).repeated(50);
        const QString b = QString("- Could not clean").repeated(70);
        const quint64 small = 4096, big = Q_UINT64_C(0xFFFFFFFF00000000);
        row->setResultItemStatusText(a);
        row->setResultItemSize(small);

        std::atomic<bool> stop{false};
        std::atomic<int> torn{0};
        std::thread writer([&] {
            for (int i = 0; i < 40000; ++i) {
                row->setResultItemStatusText(i % 2 ? a : b);
                row->setResultItemSize(i % 2 ? small : big);
                row->setResultStatus(i % 3 ? QZStatusObject::create() : nullptr);
            }
            stop = true;
        });
        int reads = 0;
        while (!stop || reads < 1000) {
            const QString text = row->resultItemStatusText();
            const auto size = row->resultItemSize();
            if ((text != a && text != b) || !size || (*size != small && *size != big))
                ++torn;
            if (const auto status = row->resultStatus())
                status->setObjStatus("Waiting"); // a status we read stays alive while we use it
            ++reads;
        }
        writer.join();
        QCOMPARE(torn.load(), 0);
    }

    void statusObjectMakesASmallSpinningSpinner()
    {
        const auto status = QZStatusObject::create();
        const auto spinner = status->progressSpinner();
        QVERIFY(spinner);
        QCOMPARE(spinner->style(), int(platform::ProgressIndicator::SpinningStyle));
        QCOMPARE(spinner->controlSize(), int(platform::ProgressIndicator::SmallControlSize));
        QVERIFY(spinner->isAnimating());
        QVERIFY(!spinner->isHidden());
        QVERIFY(status->objStatus().isNull());
    }

    void freedStatusObjectLeavesNoSpinnerInItsView()
    {
        SpinnerView view;
        auto status = QZStatusObject::create();
        const auto other = QZStatusObject::create();
        // Someone else keeps the spinner: it must still leave the view with its row.
        const platform::ProgressIndicatorPtr kept = status->progressSpinner();
        view.place(kept);
        view.place(other->progressSpinner());
        QCOMPARE(view.shown.size(), 2);

        status.reset();
        QCOMPARE(view.shown.size(), 1);
        QCOMPARE(view.shown.first(), other->progressSpinner().get());
        QVERIFY(!kept->host());

        // Taking it out again does nothing.
        kept->removeFromSuperview();
        QCOMPARE(view.shown.size(), 1);
    }

    void statusObjectFreedOnTheWorkerRemovesItsSpinnerOnTheMainThread()
    {
        SpinnerView view;
        auto status = QZStatusObject::create();
        view.place(status->progressSpinner());
        std::thread worker([s = std::move(status)]() mutable { s.reset(); });
        worker.join();
        QTRY_VERIFY(view.shown.isEmpty());
        QCOMPARE(view.removalsOffMainThread.load(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_records)
#include "tst_records.moc"
