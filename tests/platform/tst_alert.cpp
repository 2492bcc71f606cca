#include "platform/gui/Alert.h"

#include <QLabel>
#include <QMessageBox>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_PlatformAlert : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { platform::Alert::setResponder({}); }
    void panelAnswers_data();
    void panelAnswers();
    void alertAnswersByOrder();
    void suppression_data();
    void suppression();
    void offscreenWithoutResponderTakesDefault();
    void informativeTextIsNotSqueezed_data();
    void informativeTextIsNotSqueezed();
};

void tst_PlatformAlert::panelAnswers_data()
{
    QTest::addColumn<QStringList>("titles"); // default, alternate, other
    QTest::addColumn<int>("pressed");        // answer of the shown button, by position
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("expected");
    QTest::newRow("default") << QStringList({"Yes", "No", ""}) << 1000 << QStringList({"Yes", "No"}) << 1;
    QTest::newRow("alternate") << QStringList({"Yes", "No", ""}) << 1001 << QStringList({"Yes", "No"}) << 0;
    QTest::newRow("other") << QStringList({"A", "B", "C"}) << 1002 << QStringList({"A", "B", "C"}) << -1;
    QTest::newRow("other without alternate") << QStringList({"A", "", "C"}) << 1001 << QStringList({"A", "C"}) << -1;
    QTest::newRow("no default title") << QStringList({"", "", ""}) << 1000 << QStringList({"OK"}) << 1;
    QTest::newRow("answer out of range") << QStringList({"Yes", "No", ""}) << 1005 << QStringList({"Yes", "No"}) << 1;
}

void tst_PlatformAlert::panelAnswers()
{
    QFETCH(QStringList, titles);
    QFETCH(int, pressed);
    QFETCH(QStringList, shown);
    QFETCH(int, expected);
    QStringList seen;
    QString message, informative;
    bool panel = false;
    platform::Alert::setResponder([&](const platform::Alert &alert, bool &) {
        seen = alert.buttonTitles();
        message = alert.messageText();
        informative = alert.informativeText();
        panel = alert.isPanel();
        return pressed;
    });
    QCOMPARE(platform::Alert::runAlertPanel(u"Title"_s, u"Text"_s, titles[0], titles[1], titles[2]), expected);
    QCOMPARE(seen, shown);
    QCOMPARE(message, u"Title"_s);
    QCOMPARE(informative, u"Text"_s);
    QVERIFY(panel);
}

void tst_PlatformAlert::alertAnswersByOrder()
{
    platform::Alert alert;
    QCOMPARE(alert.buttonTitles(), QStringList({"OK"}));
    alert.addButtonWithTitle(u"Clean"_s);
    alert.addButtonWithTitle(u"Skip"_s);
    alert.addButtonWithTitle(u"Cancel"_s);
    int calls = 0;
    platform::Alert::setResponder([&](const platform::Alert &shown, bool &) {
        ++calls;
        return platform::Alert::FirstButtonReturn + int(shown.buttonTitles().indexOf(u"Cancel"_s));
    });
    QCOMPARE(alert.runModal(), platform::Alert::ThirdButtonReturn);
    QVERIFY(!alert.isPanel());
    QCOMPARE(calls, 1);
}

void tst_PlatformAlert::suppression_data()
{
    QTest::addColumn<bool>("showsBox");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("expected");
    QTest::newRow("ticked") << true << true << true;
    QTest::newRow("left clear") << true << false << false;
    QTest::newRow("no box") << false << true << false;
}

void tst_PlatformAlert::suppression()
{
    QFETCH(bool, showsBox);
    QFETCH(bool, ticked);
    QFETCH(bool, expected);
    platform::Alert alert;
    alert.setShowsSuppressionButton(showsBox);
    platform::Alert::setResponder([&](const platform::Alert &, bool &suppress) {
        suppress = ticked;
        return platform::Alert::SecondButtonReturn;
    });
    QCOMPARE(alert.runModal(), platform::Alert::SecondButtonReturn);
    QCOMPARE(alert.suppressionButtonState(), expected);
}

void tst_PlatformAlert::offscreenWithoutResponderTakesDefault()
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        QSKIP("only without a screen");
    platform::Alert alert;
    alert.addButtonWithTitle(u"Yes"_s);
    alert.addButtonWithTitle(u"No"_s);
    QCOMPARE(alert.runModal(), platform::Alert::FirstButtonReturn);
    QCOMPARE(platform::Alert::runAlertPanel(u"T"_s, QString(), u"Cancel"_s, u"Quit"_s),
             platform::Alert::AlertDefaultReturn);
}

void tst_PlatformAlert::informativeTextIsNotSqueezed_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("informative");
    QTest::addColumn<int>("maxLines");
    QTest::newRow("short title, long text")
        << "Cancel Setup Assistant"
        << "Nimbrel will use the default recommendations for any unconfigured settings." << 3;
    QTest::newRow("long text")
        << "Finder Recent Folders Cleaning Alert"
        << "Finder recent folders are selected for cleaning. Cleaning recent folders will relaunch the Finder, "
           "which can interrupt Finder activity. Finish any Finder tasks (such as copying files) before "
           "continuing. Do you want to continue cleaning Finder recent folders?"
        << 6;
}

void tst_PlatformAlert::informativeTextIsNotSqueezed()
{
    QFETCH(QString, message);
    QFETCH(QString, informative);
    QFETCH(int, maxLines);
    QMessageBox box;
    box.setText(message);
    box.setInformativeText(informative);
    box.addButton(u"OK"_s, QMessageBox::AcceptRole);
    platform::Alert::widenInformativeText(box);
    box.show(); // the box settles its size as it is shown
    const auto *text = box.findChild<QLabel *>(u"qt_msgbox_informativelabel"_s);
    QVERIFY(text);
    QVERIFY2(text->width() >= platform::Alert::InformativeTextMinimumWidth, qPrintable(QString::number(text->width())));
    // At that width the text takes few lines, not a narrow column.
    const int lineHeight = text->fontMetrics().lineSpacing();
    QVERIFY2(text->heightForWidth(text->width()) <= maxLines * lineHeight,
             qPrintable(QString::number(text->heightForWidth(text->width()) / lineHeight)));
}

QTEST_MAIN(tst_PlatformAlert)
#include "tst_alert.moc"
