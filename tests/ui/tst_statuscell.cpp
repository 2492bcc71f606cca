#include "platform/system/ProgressIndicator.h"
#include "support/FakeHome.h"
#include "support/ThreadChecker.h"
#include "ui/results/QZSpinnerView.h"
#include "ui/results/QZStatusCell.h"
#include "ui/results/ResultsController.h"

#include <QTableView>
#include <QtTest>

using namespace Qt::StringLiterals;

using platform::ProgressIndicator;

namespace {

// The results table with one row, as the results controller shows it during a run.
struct Table
{
    FakeHome home;
    QTableView view;
    ResultsController results;
    resultItemPtr row = resultItem::create();

    Table(bool checked, const QString &text)
    {
        results.setResultsTableView(&view);
        results.awakeFromNib();
        row->setResultItemName(u"Safari Cache"_s);
        row->setResultStatus(QZStatusObject::create());
        row->setResultItemIsChecked(checked);
        row->setResultItemStatusText(text);
        results.resultsArrayController()->addObject(row);
        view.resize(500, 200);
        for (int i = 0; i < results.resultsArrayController()->columnCount(); ++i)
            view.setColumnHidden(i, false);
    }
    QModelIndex statusIndex() const
    {
        return results.resultsArrayController()->index(
            0, results.resultsArrayController()->columnWithIdentifier(u"statusColumn"_s));
    }
};

} // namespace

class tst_StatusCell : public QObject
{
    Q_OBJECT
private slots:
    void stateFromRow_data();
    void stateFromRow();
    void layout_data();
    void layout();
    void drawnInTheTable_data();
    void drawnInTheTable();
};

void tst_StatusCell::stateFromRow_data()
{
    QTest::addColumn<bool>("shredding");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state");
    // What happens to the spinner: "row's stopped" (the row's own is stopped and hidden, while
    // the one the cell held, another row's, keeps turning), "row's shown" (the row's own spinner is placed, turning),
    // "untouched".
    QTest::addColumn<QString>("spinner");
    const int before = 7; // a state no rule gives: shows whether the cell was left alone
    QTest::newRow("not running") << false << true << "- Cleaned" << before << "untouched";
    QTest::newRow("unchecked wins over the text") << true << false << "- Cleaned" << -1 << "untouched";
    QTest::newRow("cleaned") << true << true << "- Cleaned" << 0 << "row's stopped";
    QTest::newRow("could not clean") << true << true << "- Could not clean" << 1 << "row's stopped";
    QTest::newRow("cleaning") << true << true << "- Cleaning" << 2 << "row's shown";
    QTest::newRow("cleaning with progress") << true << true << "- Cleaning (40%)" << 2 << "row's shown";
    QTest::newRow("cancelling") << true << true << "- Cancelling (90%)" << 2 << "row's shown";
    QTest::newRow("waiting") << true << true << "- Waiting" << 3 << "untouched";
    QTest::newRow("skipped") << true << true << "- Skipped" << -1 << "untouched";
    QTest::newRow("other text keeps the state") << true << true << "- Cleaned!" << before << "untouched";
}

void tst_StatusCell::stateFromRow()
{
    QFETCH(bool, shredding);
    QFETCH(bool, checked);
    QFETCH(QString, text);
    QFETCH(int, state);
    QFETCH(QString, spinner);
    Table table(checked, text);
    table.results.m_isShredding = shredding;
    QZStatusCell *cell = table.results.statusCell();
    QVERIFY(cell);
    QCOMPARE(table.view.itemDelegateForColumn(table.statusIndex().column()), cell);
    auto held = std::make_shared<ProgressIndicator>();
    held->startAnimation();
    cell->setProgress(held);
    cell->setCurrentStatus(QZStatusCell::State(7));

    table.results.willDisplayStatusCell(cell, 0);
    QCOMPARE(int(cell->currentStatus()), state);
    const auto own = table.row->resultStatus()->progressSpinner();
    if (spinner == QLatin1String("row's stopped")) {
        QVERIFY(!own->isAnimating());
        QVERIFY(own->isHidden());
        QVERIFY(held->isAnimating());
        QVERIFY(!held->isHidden());
    } else if (spinner == QLatin1String("row's shown")) {
        QCOMPARE(cell->progress(), own);
        QCOMPARE(own->host(), static_cast<void *>(table.view.viewport()));
        QVERIFY(own->isAnimating());
        QVERIFY(!own->isHidden());
        QVERIFY(cell->spinnerView(own));
        QVERIFY(held->isAnimating());
    } else {
        QCOMPARE(cell->progress(), held);
        QVERIFY(held->isAnimating());
        QVERIFY(!own->host());
    }
}

void tst_StatusCell::layout_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QRect>("image");
    QTest::addColumn<int>("textLeft");
    const QRect frame(10, 20, 200, 18);
    Q_UNUSED(frame);
    QTest::newRow("spinner, one point up") << 2 << QRect(22, 19, 16, 16) << 10 + 16 + 12;
    QTest::newRow("dot") << 0 << QRect(22, 20, 12, 12) << 10 + 12 + 12;
    QTest::newRow("four and up are yellow") << 9 << QRect(22, 20, 12, 12) << 10 + 12 + 12;
    QTest::newRow("below -1: no image, still indented") << -5 << QRect(22, 20, 0, 0) << 10 + 12;
}

void tst_StatusCell::layout()
{
    QFETCH(int, state);
    QFETCH(QRect, image);
    QFETCH(int, textLeft);
    FakeHome home;
    QZStatusCell cell;
    auto spinner = std::make_shared<ProgressIndicator>();
    spinner->setControlSize(ProgressIndicator::SmallControlSize);
    cell.setProgress(spinner);
    cell.setCurrentStatus(QZStatusCell::State(state));
    const QZStatusCell::Layout layout = cell.layoutFor(QRect(10, 20, 200, 18));
    QCOMPARE(layout.image, image);
    QCOMPARE(layout.text.left(), textLeft);
    QCOMPARE(layout.text.right(), 10 + 200 - 1);
}

void tst_StatusCell::drawnInTheTable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("dot"); // invalid: the spinner
    QTest::newRow("waiting: yellow") << "- Waiting" << QColor(255, 204, 0);
    QTest::newRow("cleaned: green") << "- Cleaned" << QColor(52, 199, 89);
    QTest::newRow("failed: red") << "- Could not clean" << QColor(255, 59, 48);
    QTest::newRow("skipped: blue") << "- Skipped" << QColor(52, 120, 246);
    QTest::newRow("cleaning: the spinner") << "- Cleaning (5%)" << QColor();
}

// Drawing the table sets the cell from the row and puts the dot, or the row's spinner, 12
// points in from the cell's left edge.
void tst_StatusCell::drawnInTheTable()
{
    QFETCH(QString, text);
    QFETCH(QColor, dot);
#if defined(__SANITIZE_THREAD__)
    // Rendering a table view sends Qt's own drawing work to its thread pool.
    SKIP_UNDER_THREAD_CHECKER("Qt's drawing threads are not instrumented");
#endif
    Table table(true, text);
    table.results.m_isShredding = true;
    // Drawn straight into an image of the raster engine's own format.
    QImage image(table.view.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    table.view.render(&image);
    const QRect cellRect = table.view.visualRect(table.statusIndex());
    QStyleOptionViewItem option;
    option.rect = cellRect;
    option.fontMetrics = table.view.fontMetrics();
    const QRect frame = QZStatusCell::cellFrame(option);
    const QPoint offset = table.view.viewport()->mapTo(&table.view, QPoint(0, 0));
    const auto spinner = table.row->resultStatus()->progressSpinner();
    QZSpinnerView *view = table.results.statusCell()->spinnerView(spinner);
    if (!dot.isValid()) {
        QVERIFY(view);
        QCOMPARE(view->geometry(), QRect(frame.x() + 12, frame.y() - 1, 16, 16));
        QVERIFY(!view->isHidden());
        return;
    }
    QVERIFY(!view);
    const QColor centre = image.pixelColor(offset + QPoint(frame.x() + 12 + 6, frame.y() + 6));
    QCOMPARE(centre.rgb(), dot.rgb());
}

QTEST_MAIN(tst_StatusCell)
#include "tst_statuscell.moc"
