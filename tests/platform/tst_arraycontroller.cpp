#include "platform/system/ArrayController.h"

#include <QSignalSpy>
#include <QtTest>

using platform::ArrayController;

namespace {

struct Row
{
    QString name;
    bool checked = false;
};
using RowPtr = std::shared_ptr<Row>;

void describeColumns(ArrayController<Row> &rows)
{
    ArrayController<Row>::Column check;
    check.identifier = "checkColumn";
    check.isChecked = [](const Row &row) { return row.checked; };
    check.setChecked = [](Row &row, bool on) { row.checked = on; };
    ArrayController<Row>::Column name;
    name.identifier = "nameColumn";
    name.title = "Item";
    name.data = [](const Row &row, int role) { return role == Qt::DisplayRole ? QVariant(row.name) : QVariant(); };
    rows.setColumns({check, name});
}

RowPtr row(const QString &name, bool checked = false)
{
    return std::make_shared<Row>(Row{name, checked});
}

} // namespace

class tst_ArrayController : public QObject
{
    Q_OBJECT

private slots:
    void rowsKeepTheirOrder();
    void checkboxWritesTheRow_data();
    void checkboxWritesTheRow();
    void sharedRowsShowChangesAfterReload();
};

void tst_ArrayController::rowsKeepTheirOrder()
{
    ArrayController<Row> rows;
    describeColumns(rows);
    const RowPtr a = row("a"), b = row("b"), c = row("c");
    rows.addObject(a);
    rows.addObjects({b, c});
    rows.insertObject(row("first"), -5); // clamped to the front
    QCOMPARE(rows.count(), 4);
    QCOMPARE(rows.objectAt(0)->name, QString("first"));
    QVERIFY(rows.removeObject(b));
    QVERIFY(!rows.removeObject(b));
    QCOMPARE(rows.indexOfObject(c), 2);
    QCOMPARE(rows.data(rows.index(2, 1), Qt::DisplayRole).toString(), QString("c"));
    QVERIFY(!rows.objectAt(7));
    rows.sortUsing([](const RowPtr &x, const RowPtr &y) { return x->name > y->name; });
    QCOMPARE(rows.objectAt(0)->name, QString("first"));
    QCOMPARE(rows.objectAt(2)->name, QString("a"));
    QCOMPARE(rows.columnWithIdentifier("nameColumn"), 1);
    QCOMPARE(rows.columnWithIdentifier("statusColumn"), -1);
    rows.removeAllObjects();
    QCOMPARE(rows.rowCount(), 0);
}

void tst_ArrayController::checkboxWritesTheRow_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("check column") << 0 << true;
    QTest::newRow("text column refuses") << 1 << false;
}

void tst_ArrayController::checkboxWritesTheRow()
{
    QFETCH(int, column);
    QFETCH(bool, accepted);
    ArrayController<Row> rows;
    describeColumns(rows);
    const RowPtr r = row("r", true);
    rows.addObject(r);
    QSignalSpy spy(&rows, &platform::ArrayControllerBase::rowCheckChanged);
    const QModelIndex index = rows.index(0, column);
    QCOMPARE(rows.setData(index, Qt::Unchecked, Qt::CheckStateRole), accepted);
    QCOMPARE(r->checked, !accepted);
    QCOMPARE(spy.count(), accepted ? 1 : 0);
    QCOMPARE(bool(rows.flags(index) & Qt::ItemIsUserCheckable), accepted);
    if (accepted)
        QCOMPARE(rows.data(index, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
}

void tst_ArrayController::sharedRowsShowChangesAfterReload()
{
    ArrayController<Row> rows;
    describeColumns(rows);
    const RowPtr r = row("before");
    rows.addObject(r);
    QSignalSpy changed(&rows, &QAbstractItemModel::dataChanged);
    r->name = "after";
    rows.reload();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(rows.data(rows.index(0, 1), Qt::DisplayRole).toString(), QString("after"));
    // The arranged copy keeps the same shared rows.
    QCOMPARE(rows.arrangedObjects().first(), r);
}

QTEST_MAIN(tst_ArrayController)
#include "tst_arraycontroller.moc"
