#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "support/BundleDefaults.h"
#include "support/FakeHome.h"
#include "ui/about/AboutWindow.h"
#include "ui/about/AboutWindowController.h"
#include "ui/about/QZScrewView.h"

#include <QLabel>
#include <QPropertyAnimation>
#include <QTest>

#include <numbers>

using namespace Qt::StringLiterals;

namespace {

// The chain's animations in order: name, screw, animated property.
struct Step
{
    QString name;
    int screw;
    QByteArray property;
};
const QList<Step> kChain{
    {"fade1Animation", 1, "opacity"},   {"screw1Animation", 1, "rotation"}, {"fade2Animation", 2, "opacity"},
    {"screw2Animation", 2, "rotation"}, {"fade3Animation", 3, "opacity"},   {"screw3Animation", 3, "rotation"},
    {"fade4Animation", 4, "opacity"},   {"screw4Animation", 4, "rotation"},
};

struct About
{
    FakeHome home;
    AboutWindow window;
    AboutWindowController control;
    bool ready = false; // the shipped settings are registered

    About()
    {
        ready = registerBundleDefaults();
        control.setAboutWindow(&window);
        control.awakeFromNib();
    }
    ~About() { window.hide(); }

    // The animations that are running, with the screw (1 to 4) each runs on.
    QList<std::pair<int, QPropertyAnimation *>> running() const
    {
        QList<std::pair<int, QPropertyAnimation *>> list;
        for (int n = 1; n <= 4; ++n)
            for (QPropertyAnimation *animation : control.animationsOf(control.screw(n)))
                if (animation->state() == QAbstractAnimation::Running)
                    list.append({n, animation});
        return list;
    }
    bool allHidden() const
    {
        for (int n = 1; n <= 4; ++n)
            if (control.screw(n)->opacity() != 0.0 || control.screw(n)->rotation() != 0.0)
                return false;
        return true;
    }
    // Runs the chain's next animation to its end (no waiting on the clock); false when it
    // is not the expected one, alone, with the expected timing.
    bool finishStep(int index)
    {
        const auto now = running();
        const Step &step = kChain.at(index);
        if (now.size() != 1 || now[0].first != step.screw || now[0].second->objectName() != step.name
            || now[0].second->propertyName() != step.property || now[0].second->duration() != 150)
            return false;
        QPropertyAnimation *animation = now[0].second;
        const bool turn = step.property == "rotation";
        if (animation->loopCount() != (turn ? 3 : 1)
            || animation->endValue().toDouble() != (turn ? -2.0 * std::numbers::pi : 1.0))
            return false;
        animation->setCurrentTime(animation->totalDuration());
        return true;
    }
};

} // namespace

class tst_AboutWindow : public QObject
{
    Q_OBJECT
private slots:
    void links_data();
    void links();
    void chainStopsOnClose_data();
    void chainStopsOnClose();
    void reopeningWhileRunningRestarts();
};

void tst_AboutWindow::links_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("page");
    QTest::newRow("support") << "supportLink"
                             << "Nimbrel Support"
                             << "https://www.example.com/support/";
    QTest::newRow("home page") << "companyLink"
                               << "Learn more about Mac Security"
                               << "https://www.example.com/";
}

void tst_AboutWindow::links()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QString, page);
    About about;
    QVERIFY(about.ready);
    QList<QUrl> opened;
    platform::Workspace::sharedWorkspace().setURLRecorder([&](const QUrl &url) { opened << url; });
    QLabel *link = label == QLatin1String("supportLink") ? about.control.supportLink() : about.control.companyLink();
    QVERIFY(link);
    QCOMPARE(link->objectName(), label);
    QVERIFY(link->alignment() & Qt::AlignHCenter);
    QCOMPARE(link->text(), u"<a href=\"%1\">%2</a>"_s.arg(page, text));
    emit link->linkActivated(page);
    platform::Workspace::sharedWorkspace().setURLRecorder({});
    QCOMPARE(opened, QList<QUrl>{QUrl(page)});
}

void tst_AboutWindow::chainStopsOnClose_data()
{
    QTest::addColumn<int>("steps"); // animations run to their end before the window closes
    QTest::addColumn<bool>("escape");
    for (int steps = 0; steps <= kChain.size(); ++steps)
        QTest::addRow("closed after %d steps", steps) << steps << false;
    QTest::newRow("Escape in the middle") << 3 << true;
}

void tst_AboutWindow::chainStopsOnClose()
{
    QFETCH(int, steps);
    QFETCH(bool, escape);
    About about;
    QVERIFY(about.ready);
    for (int round = 0; round < 2; ++round) {
        about.control.showAboutWindow();
        QVERIFY(about.window.isVisible());
        QVERIFY(about.allHidden());
        for (int i = 0; i < steps; ++i) {
            QVERIFY2(about.finishStep(i), qPrintable(kChain.at(i).name));
            // Each screw stays shown once its fade is over; the ones after it are hidden.
            for (int n = 1; n <= 4; ++n)
                QCOMPARE(about.control.screw(n)->opacity(), n <= kChain.at(i).screw ? 1.0 : 0.0);
        }
        if (steps == kChain.size())
            QVERIFY(about.running().isEmpty()); // the fourth turn ends the chain

        if (escape)
            QTest::keyClick(&about.window, Qt::Key_Escape);
        else
            about.window.close();
        QVERIFY(!about.window.isVisible());
        QVERIFY(about.running().isEmpty());
        QVERIFY(about.allHidden());
        QCoreApplication::processEvents();
        QVERIFY(about.running().isEmpty());
        for (int n = 1; n <= 4; ++n)
            QVERIFY(about.control.animationsOf(about.control.screw(n)).isEmpty());
    }
    // Opened once more: the chain begins again at the first screw.
    about.control.showAboutWindow();
    QVERIFY(about.allHidden());
    QVERIFY(about.finishStep(0));
}

void tst_AboutWindow::reopeningWhileRunningRestarts()
{
    About about;
    QVERIFY(about.ready);
    about.control.showAboutWindow();
    for (int i = 0; i < 5; ++i)
        QVERIFY(about.finishStep(i));
    about.control.showAboutWindow();
    QVERIFY(about.allHidden());
    for (int i = 0; i < kChain.size(); ++i)
        QVERIFY2(about.finishStep(i), qPrintable(kChain.at(i).name));
    QVERIFY(about.running().isEmpty());
    for (int n = 1; n <= 4; ++n)
        QCOMPARE(about.control.screw(n)->opacity(), 1.0);
}

QTEST_MAIN(tst_AboutWindow)
#include "tst_aboutwindow.moc"
