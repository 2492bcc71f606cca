#include "core/records/resultItem.h"

#include <QtTest>

class tst_RowState : public QObject
{
    Q_OBJECT
private slots:
    void labels_data();
    void labels();
    void textWrittenByHand_data();
    void textWrittenByHand();
};

void tst_RowState::labels_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("percent"); // -1: none
    QTest::addColumn<QString>("text");
    QTest::newRow("waiting") << int(RowState::Waiting) << -1 << "- Waiting";
    QTest::newRow("skipped") << int(RowState::Skipped) << -1 << "- Skipped";
    QTest::newRow("cleaning") << int(RowState::Cleaning) << -1 << "- Cleaning";
    QTest::newRow("cleaning with progress") << int(RowState::Cleaning) << 40 << "- Cleaning (40%)";
    QTest::newRow("cancelling with progress") << int(RowState::Cancelling) << 90 << "- Cancelling (90%)";
    QTest::newRow("cleaned") << int(RowState::Cleaned) << -1 << "- Cleaned";
    QTest::newRow("answers take no progress") << int(RowState::Cleaned) << 100 << "- Cleaned";
    QTest::newRow("could not clean") << int(RowState::NotCleaned) << -1 << "- Could not clean";
}

// The row shows the state's label and reads back the state it was given.
void tst_RowState::labels()
{
    QFETCH(int, state);
    QFETCH(int, percent);
    QFETCH(QString, text);
    const auto row = resultItem::create();
    row->setResultItemState(RowState(state), percent < 0 ? std::nullopt : std::optional<int>(percent));
    QCOMPARE(row->resultItemStatusText(), text);
    QCOMPARE(row->resultItemState(), std::optional<RowState>(RowState(state)));
}

void tst_RowState::textWrittenByHand_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("state"); // -1: none
    QTest::newRow("cleaning with progress") << "- Cleaning (100%)" << int(RowState::Cleaning);
    QTest::newRow("cancelling") << "- Cancelling" << int(RowState::Cancelling);
    QTest::newRow("waiting") << "- Waiting" << int(RowState::Waiting);
    QTest::newRow("an answer is exact") << "- Cleaned!" << -1;
    QTest::newRow("cut short") << "- Cleanin" << -1;
    QTest::newRow("empty") << "" << -1;
}

void tst_RowState::textWrittenByHand()
{
    QFETCH(QString, text);
    QFETCH(int, state);
    const auto row = resultItem::create();
    row->setResultItemState(RowState::Skipped);
    row->setResultItemStatusText(text);
    QCOMPARE(row->resultItemStatusText(), text);
    const std::optional<RowState> read = row->resultItemState();
    QCOMPARE(read ? int(*read) : -1, state);
}

QTEST_GUILESS_MAIN(tst_RowState)
#include "tst_rowstate.moc"
