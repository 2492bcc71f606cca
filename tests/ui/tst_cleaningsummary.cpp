#include "ui/summary/CleaningSummary.h"

#include <QTest>

using namespace Qt::StringLiterals;

using Heading = CleaningSummary::Heading;
Q_DECLARE_METATYPE(std::optional<Heading>)

class TestCleaningSummary : public QObject
{
    Q_OBJECT

private slots:
    void heading_data();
    void heading();
    void sizeText_data();
    void sizeText();
    void lines_data();
    void lines();
    void shareUrl_data();
    void shareUrl();
};

void TestCleaningSummary::heading_data()
{
    QTest::addColumn<int>("cleaned");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<int>("problems");
    QTest::addColumn<std::optional<Heading>>("expected");

    const Heading fail{"fail.png", "Could Not Clean"};
    const Heading clean{"success.png", "System Is Clean"};
    const Heading problems{"warning.png", "Cleaning Problems Occurred"};
    const Heading success{"success.png", "Cleaning Successful"};
    QTest::newRow("only failures") << 0 << 0 << 2 << std::optional(fail);
    QTest::newRow("failures and skips") << 0 << 3 << 1 << std::optional(fail);
    QTest::newRow("nothing at all") << 0 << 0 << 0 << std::optional(clean);
    QTest::newRow("only skips") << 0 << 4 << 0 << std::optional<Heading>();
    QTest::newRow("cleaned with failures") << 3 << 0 << 1 << std::optional(problems);
    QTest::newRow("cleaned") << 1 << 0 << 0 << std::optional(success);
    QTest::newRow("cleaned and skipped") << 5 << 2 << 0 << std::optional(success);
}

void TestCleaningSummary::heading()
{
    QFETCH(int, cleaned);
    QFETCH(int, skipped);
    QFETCH(int, problems);
    QFETCH(std::optional<Heading>, expected);
    QCOMPARE(CleaningSummary(cleaned, skipped, problems, 0).heading(), expected);
}

void TestCleaningSummary::sizeText_data()
{
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("converted");

    QTest::newRow("nothing") << quint64(0) << "0.0 KB"
                             << "0.0+KB";
    QTest::newRow("one byte") << quint64(1) << "4.0 KB"
                              << "4.0+KB";
    QTest::newRow("one block") << quint64(4096) << "4.0 KB"
                               << "4.0+KB";
    QTest::newRow("just over a block") << quint64(4097) << "4.0 KB"
                                       << "4.0+KB";
    QTest::newRow("5000 bytes") << quint64(5000) << "4.9 KB"
                                << "4.9+KB";
    QTest::newRow("2000000 bytes") << quint64(2000000) << "1.9 MB"
                                   << "1.9+MB";
    QTest::newRow("exactly one megabyte stays in KB") << quint64(1048576) << "1024.0 KB"
                                                      << "1024.0+KB";
    QTest::newRow("three gigabytes") << quint64(3) * 1024 * 1024 * 1024 << "3.0 GB"
                                     << "3.0+GB";
    QTest::newRow("past the last unit") << quint64(5000) * 1024 * 1024 * 1024 * 1024 << "5000.0 TB"
                                        << "5000.0+TB";
}

void TestCleaningSummary::sizeText()
{
    QFETCH(quint64, bytes);
    QFETCH(QString, text);
    QFETCH(QString, converted);
    QCOMPARE(CleaningSummary::sizeText(bytes), text);
    QCOMPARE(CleaningSummary(1, 0, 0, bytes).convertedSizeText(), converted);
}

void TestCleaningSummary::lines_data()
{
    QTest::addColumn<int>("cleaned");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<int>("problems");
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("offersLink");

    QTest::newRow("empty scan") << 0 << 0 << 0 << quint64(0)
                                << "0 threats cleaned\n0 threats skipped\nApproximately 0.0 KB of files cleaned\n"
                                << true;
    QTest::newRow("singular") << 1 << 1 << 1 << quint64(12)
                              << "1 threat cleaned\n1 threat skipped\nApproximately 4.0 KB of files cleaned\n"
                                 "1 threat could not be cleaned"
                              << false;
    QTest::newRow("plural") << 2 << 3 << 4 << quint64(5000)
                            << "2 threats cleaned\n3 threats skipped\nApproximately 4.9 KB of files cleaned\n"
                               "4 threats could not be cleaned"
                            << false;
}

void TestCleaningSummary::lines()
{
    QFETCH(int, cleaned);
    QFETCH(int, skipped);
    QFETCH(int, problems);
    QFETCH(quint64, bytes);
    QFETCH(QString, text);
    QFETCH(bool, offersLink);
    const CleaningSummary summary(cleaned, skipped, problems, bytes);
    QCOMPARE(summary.text(), text);
    QCOMPARE(summary.lines().size(), 4);
    QCOMPARE(summary.offersShareLink(), offersLink);
}

void TestCleaningSummary::shareUrl_data()
{
    QTest::addColumn<int>("cleaned");
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("url");

    const QString page = u"https://www.example.com/nimbrel"_s;
    QTest::newRow("clean system")
        << 0 << quint64(0) << "https://social.example.com"
        << "https://social.example.com/home?status=I'm+protecting+my+Mac+from+privacy+threats+with+"
           "%40Nimbrel,+and+my+system+is+clean!++"
            + page;
    QTest::newRow("one threat")
        << 1 << quint64(5000) << "https://social.example.com/"
        << "https://social.example.com/home?status=I+cleaned+1+privacy+threat+that+was+taking+up+4.9+KB+"
           "of+space+on+my+Mac+with+%40Nimbrel:++"
            + page;
    QTest::newRow("threats")
        << 12 << quint64(2000000) << "http://127.0.0.1:8080"
        << "http://127.0.0.1:8080/home?status=I+cleaned+12+privacy+threats+that+were+taking+up+1.9+MB+"
           "of+space+on+my+Mac+with+%40Nimbrel:++"
            + page;
}

// The status must reach the service exactly as written: "+" for blanks and "%40" for the
// at sign, neither decoded nor escaped again.
void TestCleaningSummary::shareUrl()
{
    QFETCH(int, cleaned);
    QFETCH(quint64, bytes);
    QFETCH(QString, host);
    QFETCH(QString, url);
    const QUrl share = CleaningSummary(cleaned, 0, 0, bytes).shareUrl(host, u"https://www.example.com/nimbrel"_s);
    QVERIFY(share.isValid());
    QCOMPARE(share.toString(QUrl::FullyEncoded), url);
    QCOMPARE(share.path(), u"/home"_s);
}

QTEST_MAIN(TestCleaningSummary)
#include "tst_cleaningsummary.moc"
