#include "core/ShredOutputParser.h"

#include <QtTest>

#include <climits>

class TestShredOutputParser : public QObject
{
    Q_OBJECT
private slots:
    void chunks_data()
    {
        QTest::addColumn<bool>("isDir");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<int>>("sent");
        QTest::addColumn<bool>("done");
        QTest::addColumn<int>("currentCount");

        using Chunks = QList<QByteArray>;
        using Sent = QList<int>;

        // Single files: percentages are read from the end of a chunk.
        QTest::newRow("percent") << false << 0 << Chunks{"42%"} << Sent{42} << false << 0;
        QTest::newRow("percent with line end and blanks")
            << false << 0 << Chunks{"  \t42%\r\n"} << Sent{42} << false << 0;
        QTest::newRow("blank before percent sign") << false << 0 << Chunks{"7 %\n"} << Sent{7} << false << 0;
        QTest::newRow("several percent lines send the first")
            << false << 0 << Chunks{"12%\n13%\n"} << Sent{12} << false << 0;
        QTest::newRow("percent without a number sends 0") << false << 0 << Chunks{"abc%"} << Sent{0} << false << 0;
        QTest::newRow("percent sign alone sends 0") << false << 0 << Chunks{"%\n"} << Sent{0} << false << 0;
        QTest::newRow("too large a number is clamped")
            << false << 0 << Chunks{"99999999999%"} << Sent{INT_MAX} << false << 0;
        QTest::newRow("removing then percent sends nothing")
            << false << 0 << Chunks{"removing /tmp/x\n42%"} << Sent{} << false << 0;
        QTest::newRow("removing then done sets the flag only")
            << false << 0 << Chunks{"removing /tmp/x\n10%\ndone\n"} << Sent{} << true << 0;
        QTest::newRow("done alone on a file") << false << 0 << Chunks{"done\n"} << Sent{} << true << 0;
        QTest::newRow("text ending in done") << false << 0 << Chunks{"all done"} << Sent{} << true << 0;
        QTest::newRow("done in a middle line is not completion")
            << false << 0 << Chunks{"10%\ndone\nremoving /tmp/y"} << Sent{} << false << 0;
        QTest::newRow("a progression") << false << 0 << Chunks{"removing /tmp/x\n", "1%\n", "50%\n", "100%\n", "done\n"}
                                       << Sent{1, 50, 100} << true << 0;

        // Text that is not a message.
        QTest::newRow("not UTF-8") << false << 0
                                   << Chunks{"\xff\xfe"
                                             "42%"}
                                   << Sent{} << false << 0;
        QTest::newRow("not UTF-8 ending in done") << true << 4 << Chunks{"done\xc3"} << Sent{} << false << 0;
        QTest::newRow("blanks and line ends only") << false << 0 << Chunks{" \n\t\r\n "} << Sent{} << false << 0;
        QTest::newRow("empty") << false << 0 << Chunks{""} << Sent{} << false << 0;

        // Folders: progress is the share of files reported done.
        QTest::newRow("four files") << true << 4 << Chunks{"done", "done\n", "done", "done"} << Sent{25, 50, 75, 100}
                                    << true << 4;
        QTest::newRow("a fifth completion has no upper bound")
            << true << 4 << Chunks{"done", "done", "done", "done", "done"} << Sent{25, 50, 75, 100, 125} << true << 5;
        QTest::newRow("thirds are cut toward zero")
            << true << 3 << Chunks{"done", "done", "done"} << Sent{33, 66, 100} << true << 3;
        QTest::newRow("below one percent shows 1") << true << 1000 << Chunks{"done", "done"} << Sent{1, 1} << true << 2;
        QTest::newRow("count of zero shows complete")
            << true << 0 << Chunks{"done", "done"} << Sent{100, 100} << true << 2;
        QTest::newRow("percent lines of a folder send nothing")
            << true << 2 << Chunks{"removing /tmp/d/a\n", "40%\n", "done\n"} << Sent{50} << true << 1;
        QTest::newRow("chunk starting with done counts once")
            << true << 4 << Chunks{"done\nremoving /tmp/d/b\n"} << Sent{25} << true << 1;
        QTest::newRow("removing ... done in one chunk does not count")
            << true << 4 << Chunks{"removing /tmp/d/a\ndone"} << Sent{} << true << 0;
    }
    void chunks()
    {
        QFETCH(bool, isDir);
        QFETCH(int, count);
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QList<int>, sent);
        QFETCH(bool, done);
        QFETCH(int, currentCount);

        ShredOutputParser parser;
        parser.reset(isDir, count);
        QList<int> got;
        for (const QByteArray &chunk : chunks) {
            if (const auto percent = parser.appendData(chunk))
                got << *percent;
        }
        QCOMPARE(got, sent);
        QCOMPARE(parser.isDone(), done);
        QCOMPARE(parser.currentCount(), currentCount);
    }

    void resetStartsAfresh()
    {
        ShredOutputParser parser;
        parser.reset(true, 2);
        parser.appendData("done");
        QVERIFY(parser.isDone());
        parser.reset(false, 0);
        QVERIFY(!parser.isDone());
        QCOMPARE(parser.currentCount(), 0);
        QCOMPARE(parser.appendData("5%"), std::optional<int>(5));
    }
};

QTEST_GUILESS_MAIN(TestShredOutputParser)
#include "tst_shredoutputparser.moc"
