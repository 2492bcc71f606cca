#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "platform/gui/ChildWindows.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "platform/system/Workspace.h"
#include "support/FakeHome.h"
#include "support/ThreadChecker.h"
#include "ui/about/AboutWindowController.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/prefs/PrefsController.h"
#include "ui/results/ResultsController.h"
#include "ui/summary/CleaningResultsWindow.h"
#include "ui/tips/TipController.h"

#include "ui_MainWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include <functional>

using namespace Qt::StringLiterals;

using platform::ChildWindows;
using platform::UserDefaults;

namespace {

using TipOf = std::function<MAAttachedWindow *(const TipController &)>;
using WindowOf = std::function<QWidget *(const MainInterface &)>;

} // namespace

Q_DECLARE_METATYPE(TipOf)
Q_DECLARE_METATYPE(WindowOf)

// The tips of the launched interface, on its real windows.
class tst_TipWiring : public QObject
{
    Q_OBJECT
private slots:
    void startUpTipsOnTheMainWindow();
    void tipsOnTheirWindows_data();
    void tipsOnTheirWindows();
    void keysReachEveryWindow_data();
    void keysReachEveryWindow();
    void keyboardAsOnAnyDesktop_data();
    void keyboardAsOnAnyDesktop();

private:
    std::unique_ptr<MainInterface> launch(FakeHome &home);
};

std::unique_ptr<MainInterface> tst_TipWiring::launch(FakeHome &home)
{
    home.addApplication(u"com.apple.Safari"_s, u"Safari"_s);
    UserDefaults::standardUserDefaults().setBool(true, u"com.apple.Safari"_s);
    UserDefaults::standardUserDefaults().setBool(false, u"FirstLaunch"_s);
    UserDefaults::standardUserDefaults().setBool(true, u"enableTips"_s);
    NimbrelAppDelegate::registerDefaultsAndApplyRules();
    return MainInterface::load();
}

void tst_TipWiring::startUpTipsOnTheMainWindow()
{
    FakeHome home;
    auto ui = launch(home);
    MainWindow *window = ui->appControl()->mainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(!window->hasChildWindows());
    platform::Timer::fireAllPending(); // the start-up timer posts the main tips

    const TipController *tips = ui->tipControl();
    const Ui::MainWindow &form = window->form();
    QCOMPARE(ChildWindows::childWindows(window).size(), 3);
    QVERIFY(window->hasChildWindows());
    QCOMPARE(tips->mainAppsListWindow()->attachedWindow(), window);
    // The Scan button's tip lies right of the button, the help button's left of it.
    const QRect scan(form.scanButton->mapToGlobal(QPoint(0, 0)), form.scanButton->size());
    const QRect help(form.helpButton->mapToGlobal(QPoint(0, 0)), form.helpButton->size());
    QCOMPARE(tips->mainScanButtonWindow()->x(), scan.x() + scan.width() + 6);
    QCOMPARE(tips->mainHelpButtonWindow()->x() + tips->mainHelpButtonWindow()->width(), help.x() - 6);
    // The list's tip stands left of the list, its arrow halfway up the window.
    const MAAttachedWindow *list = tips->mainAppsListWindow();
    QCOMPARE(list->x() + list->width(), form.locationTableView->mapToGlobal(QPoint(0, 0)).x());
    QVERIFY(qAbs(list->geometry().center().y() - window->frameGeometry().center().y()) <= 1);

    // A resize hides them and shows them again.
    auto &center = platform::NotificationCenter::defaultCenter();
    center.post(u"NSWindowWillStartLiveResizeNotification"_s);
    QVERIFY(!window->hasChildWindows());
    center.post(u"NSWindowDidEndLiveResizeNotification"_s);
    QCOMPARE(ChildWindows::childWindows(window).size(), 3);

    // They go with the window as it moves (on the 800-point wide offscreen screen, within the
    // 30 points left right of the Scan button's tip).
    const QPoint scanTip = tips->mainScanButtonWindow()->pos();
    window->move(window->pos() + QPoint(20, 25));
    QTRY_COMPARE(tips->mainScanButtonWindow()->pos(), scanTip + QPoint(20, 25));

    // A window manager that holds the keyboard while the user pauses before letting go ends
    // the resize with the window not key: the tips come back all the same, against the new size.
    center.post(u"NSWindowWillStartLiveResizeNotification"_s, window);
    QVERIFY(!window->hasChildWindows());
    window->resize(window->size() + QSize(60, 80));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(!window->isActiveWindow());
    center.post(u"NSWindowDidEndLiveResizeNotification"_s, window);
    QCOMPARE(ChildWindows::childWindows(window).size(), 3);
    const MAAttachedWindow *listAgain = tips->mainAppsListWindow();
    QVERIFY(qAbs(listAgain->geometry().center().y() - window->frameGeometry().center().y()) <= 1);
    QCOMPARE(listAgain->x() + listAgain->width(), form.locationTableView->mapToGlobal(QPoint(0, 0)).x());
}

void tst_TipWiring::keysReachEveryWindow_data()
{
    QTest::addColumn<QString>("where"); // the window the key is pressed in
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<bool>("closes"); // the settings window, or the main window pressed in
    QTest::addColumn<int>("quits");
    const QKeyCombination closeKey(Qt::ControlModifier, Qt::Key_W);
    QTest::newRow("close shortcut") << "settings" << closeKey << true << 0;
    QTest::newRow("escape") << "settings" << QKeyCombination(Qt::Key_Escape) << true << 0;
    QTest::newRow("quit from the settings window")
        << "settings" << QKeyCombination(Qt::ControlModifier, Qt::Key_Q) << false << 1;
    QTest::newRow("escape leaves the main window") << "main" << QKeyCombination(Qt::Key_Escape) << false << 0;
    QTest::newRow("close shortcut on a tip closes its window") << "tip" << closeKey << true << 0;
}

// The settings window closes on the platform's keys, and the application's own keys work in it;
// the main window stays on Escape, and a tip hands the close to the window it points into.
void tst_TipWiring::keysReachEveryWindow()
{
    QFETCH(QString, where);
    QFETCH(QKeyCombination, key);
    QFETCH(bool, closes);
    QFETCH(int, quits);
    SKIP_UNDER_THREAD_CHECKER("Qt Gui's image work for the settings window on Qt's global thread pool");
    FakeHome home;
    auto ui = launch(home);
    platform::Timer::fireAllPending();
    int terminations = 0;
    ui->appControl()->setTerminator([&] { ++terminations; });
    MainWindow *main = ui->appControl()->mainWindow();
    PrefsController *prefs = ui->prefControl();
    prefs->showPrefsWindow();
    QWidget *window = prefs->prefsWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QWidget *pressedIn = window;
    if (where == "main") {
        pressedIn = main;
    } else if (where == "tip") {
        platform::NotificationCenter::defaultCenter().post(u"PrefsTips"_s);
        platform::Timer::fireAllPending();
        pressedIn = ui->tipControl()->prefsAppListWindow();
        QVERIFY(pressedIn && pressedIn->isVisible());
    }

    QTest::keyClick(pressedIn, key.key(), key.keyboardModifiers());
    QCOMPARE(terminations, quits);
    if (where == "main") {
        QCOMPARE(main->isVisible(), !closes);
        QVERIFY(window->isVisible());
        return;
    }
    QCOMPARE(window->isVisible(), !closes);
    QCOMPARE(prefs->prefsWindowLoaded(), !closes);
    QVERIFY(main->isVisible());
}

void tst_TipWiring::keyboardAsOnAnyDesktop_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("Return on the main window starts Scan") << "return scans";
    QTest::newRow("Tab leaves the list for the buttons") << "tab";
    QTest::newRow("Space ticks the current row") << "space";
    QTest::newRow("Return in the summary after a clicked link") << "summary link";
    QTest::newRow("the keyboard comes back after a dialog") << "dialog closes";
}

void tst_TipWiring::keyboardAsOnAnyDesktop()
{
    QFETCH(QString, step);
    FakeHome home;
    auto ui = launch(home);
    platform::Timer::fireAllPending();
    MainWindow *main = ui->appControl()->mainWindow();
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    QTableView *list = main->form().locationTableView;
    QCOMPARE(list->model()->rowCount(), 1);
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 2)); // the row's name, not its box
    QCOMPARE(QApplication::focusWidget(), list);

    if (step == "return scans") {
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(main->contentView(), main->resultsView());
    } else if (step == "tab") {
        QTest::keyClick(list, Qt::Key_Tab);
        QVERIFY(qobject_cast<QPushButton *>(QApplication::focusWidget()));
    } else if (step == "space") {
        const QModelIndex box = list->model()->index(0, 0);
        QCOMPARE(box.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(box.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(box.data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    } else if (step == "summary link") {
        QList<QUrl> opened;
        platform::Workspace::sharedWorkspace().setURLRecorder([&](const QUrl &url) { opened << url; });
        const auto reset = qScopeGuard([] { platform::Workspace::sharedWorkspace().setURLRecorder({}); });
        CleaningResultsWindow *summary = ui->resultsControl()->cleaningResultsWindow();
        QLabel *link = summary->tweetLink();
        link->setText(u"<a href=\"https://microblog.example.com/share\">Tweet Scan Results</a>"_s);
        link->setTextInteractionFlags(Qt::TextBrowserInteraction);
        link->show();
        summary->show();
        summary->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(summary));
        QSignalSpy pressed(summary->closeButton(), &QPushButton::clicked);
        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        QCOMPARE(opened.size(), 1);
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : summary, Qt::Key_Return);
        QCOMPARE(opened.size(), 1);
        QCOMPARE(pressed.size(), 1); // Return pressed OK
    } else if (step == "dialog closes") {
        ui->aboutWindowController()->showAboutWindow();
        QWidget *about = ui->aboutWindowController()->aboutWindow();
        QVERIFY(QTest::qWaitForWindowActive(about));
        about->close();
        QTRY_COMPARE(QApplication::activeWindow(), main);
    }
}

void tst_TipWiring::tipsOnTheirWindows_data()
{
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("show");
    QTest::addColumn<TipOf>("tip");
    QTest::addColumn<WindowOf>("window");
    QTest::addColumn<QString>("end");

    QTest::newRow("settings") << ""
                              << "PrefsTips" << TipOf([](const TipController &t) { return t.prefsAppListWindow(); })
                              << WindowOf([](const MainInterface &ui) { return ui.prefControl()->prefsWindow(); })
                              << "PrefsTipsEnd";
    QTest::newRow("summary heading") << "Could Not Clean"
                                     << "CleaningStatusTips"
                                     << TipOf([](const TipController &t) { return t.couldNotCleanStatusWindow(); })
                                     << WindowOf([](const MainInterface &ui) {
                                            return ui.resultsControl()->cleaningStatusTextField()->window();
                                        })
                                     << "CleaningStatusTipsEnd";
    // Hidden with the main window named as its parent, it still leaves the panel.
    QTest::newRow("cleanup failure") << ""
                                     << "TempCleaningFailTip"
                                     << TipOf([](const TipController &t) { return t.tempCleaningFailWindow(); })
                                     << WindowOf([](const MainInterface &ui) {
                                            return ui.tipControl()->tempCleaningFailTextField()->window();
                                        })
                                     << "TempCleaningFailTipEnd";
}

void tst_TipWiring::tipsOnTheirWindows()
{
    QFETCH(QString, heading);
    QFETCH(QString, show);
    QFETCH(TipOf, tip);
    QFETCH(WindowOf, window);
    QFETCH(QString, end);

    FakeHome home;
    auto ui = launch(home);
    platform::Timer::fireAllPending();
    if (!heading.isEmpty())
        ui->resultsControl()->cleaningStatusTextField()->setText(heading);
    auto &center = platform::NotificationCenter::defaultCenter();
    center.post(show);
    platform::Timer::fireAllPending();

    QWidget *expected = window(*ui);
    QVERIFY(expected && expected != ui->appControl()->mainWindow());
    MAAttachedWindow *shown = tip(*ui->tipControl());
    QVERIFY(shown);
    QCOMPARE(shown->attachedWindow(), expected);
    QVERIFY(ChildWindows::childWindows(expected).contains(shown));

    center.post(end);
    QVERIFY(!tip(*ui->tipControl()));
    QVERIFY(ChildWindows::childWindows(expected).isEmpty());
}

QTEST_MAIN(tst_TipWiring)
#include "tst_tipwiring.moc"
