#include "platform/gui/ChildWindows.h"
#include "platform/gui/Modal.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "ui/launch/TempCleaningPanel.h"
#include "ui/tips/MAAttachedWindow.h"
#include "ui/tips/TipController.h"
#include "ui/tips/TipViews.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QThread>

#include <functional>
#include <thread>

using namespace Qt::StringLiterals;

using platform::ChildWindows;

namespace {

using TipGetter = std::function<MAAttachedWindow *(const TipController &)>;

const QHash<QString, TipGetter> &tipGetters()
{
    static const QHash<QString, TipGetter> getters{
        {"prefsAppList", [](const TipController &t) { return t.prefsAppListWindow(); }},
        {"mainAppsList", [](const TipController &t) { return t.mainAppsListWindow(); }},
        {"mainScanButton", [](const TipController &t) { return t.mainScanButtonWindow(); }},
        {"mainHelpButton", [](const TipController &t) { return t.mainHelpButtonWindow(); }},
        {"resultsList", [](const TipController &t) { return t.resultsListWindow(); }},
        {"resultsShredButton", [](const TipController &t) { return t.resultsShredButtonWindow(); }},
        {"problemStatus", [](const TipController &t) { return t.problemStatusWindow(); }},
        {"couldNotCleanStatus", [](const TipController &t) { return t.couldNotCleanStatusWindow(); }},
        {"cleanSystem", [](const TipController &t) { return t.cleanSystemWindow(); }},
        {"tempCleaningFail", [](const TipController &t) { return t.tempCleaningFailWindow(); }},
    };
    return getters;
}

QWidget *placed(QWidget *widget, const QRect &where)
{
    widget->setGeometry(where);
    return widget;
}

// The windows with their anchors, the tips' views and the controller, wired as the main
// interface file wires them; tips switched on.
struct Shelf
{
    FakeHome home;
    TipViews views;
    QWidget mainWindow{nullptr, Qt::FramelessWindowHint};
    QWidget prefsWindow{nullptr, Qt::FramelessWindowHint};
    QDialog resultsDialog{nullptr, Qt::FramelessWindowHint};
    QWidget cleanupPanel{nullptr, Qt::FramelessWindowHint};
    QLabel *headingIcon = new QLabel(&resultsDialog);
    QLabel *heading = new QLabel(&resultsDialog);
    QLabel *cleanupStatus = new QLabel(&cleanupPanel);
    TipController tips;

    explicit Shelf(bool showWindows = true)
    {
        // On the offscreen platform's 800 x 800 screen, with room for every tip on its side.
        mainWindow.setGeometry(250, 100, 300, 460);
        prefsWindow.setGeometry(400, 100, 360, 300);
        resultsDialog.setGeometry(420, 200, 360, 200);
        cleanupPanel.setGeometry(200, 200, 360, 120);
        headingIcon->setGeometry(12, 0, 64, 64);
        heading->setGeometry(80, 20, 200, 24);
        cleanupStatus->setGeometry(60, 50, 240, 20);

        tips.setMainWindow(&mainWindow);
        tips.setPrefsWindow(&prefsWindow);
        tips.setResultsWindow(&mainWindow);
        tips.setCleaningStatusWindow(&resultsDialog);
        tips.setPrefsAppListButton(placed(new QWidget(&prefsWindow), {120, 10, 160, 24}));
        tips.setMainAppsList(placed(new QWidget(&mainWindow), {0, 0, 300, 420}));
        tips.setMainHelpButton(placed(new QWidget(&mainWindow), {8, 428, 24, 24}));
        tips.setMainScanButton(placed(new QWidget(&mainWindow), {200, 426, 90, 28}));
        tips.setResultsList(placed(new QWidget(&mainWindow), {10, 10, 280, 400}));
        tips.setResultsShredButton(placed(new QWidget(&mainWindow), {190, 426, 100, 28}));
        tips.setCleaningStatusTextField(heading);
        tips.setTempCleaningFailTextField(cleanupStatus);
        views.setContentViews(tips);

        setTipsEnabled(true);
        if (showWindows) {
            mainWindow.show();
            prefsWindow.show();
            cleanupPanel.show();
        }
    }

    static void setTipsEnabled(bool on) { platform::UserDefaults::standardUserDefaults().setBool(on, "enableTips"); }
    static void post(const QString &name) { platform::NotificationCenter::defaultCenter().post(name); }

    int shownTips() const
    {
        int shown = 0;
        for (const TipGetter &tip : tipGetters())
            shown += tip(tips) ? 1 : 0;
        return shown;
    }

    int childWindows() const
    {
        int count = 0;
        for (const QWidget *window :
             {static_cast<const QWidget *>(&mainWindow), static_cast<const QWidget *>(&prefsWindow),
              static_cast<const QWidget *>(&resultsDialog), static_cast<const QWidget *>(&cleanupPanel)})
            count += int(ChildWindows::childWindows(window).size());
        return count;
    }
};

// The anchor point in Qt's screen coordinates (y down), worked out from the widget itself.
QPoint anchorPoint(const QWidget *anchor, const QString &point)
{
    const QRect r(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    if (point == "left-middle")
        return {r.x(), r.y() + r.height() / 2};
    if (point == "right-middle")
        return {r.x() + r.width(), r.y() + r.height() / 2};
    if (point == "centre")
        return {r.x() + r.width() / 2, r.y() + r.height() / 2};
    if (point == "top-centre")
        return {r.x() + r.width() / 2, r.y()};
    const QRect window = anchor->window()->frameGeometry();
    return {r.x(), window.y() + window.height() / 2};
}

bool near(int a, int b)
{
    return std::abs(a - b) <= 1;
}

// Where the arrow's tip lies for the window's side, measured on the window's frame.
bool touches(const MAAttachedWindow *tip, const QPoint &p, int side, int distance)
{
    const QRect f = tip->geometry();
    const QPoint centre = f.center() + QPoint(f.width() % 2 ? 0 : 1, f.height() % 2 ? 0 : 1);
    switch (side) {
    case 0:
        return near(f.x() + f.width(), p.x() - distance) && near(centre.y(), p.y());
    case 1:
        return near(f.y(), p.y() + distance) && near(centre.x(), p.x());
    case 2:
        return near(f.x(), p.x() + distance) && near(centre.y(), p.y());
    case 9:
        return near(f.y() + f.height(), p.y() - distance) && near(f.x(), p.x() - 18);
    }
    return false;
}

} // namespace

class tst_Tips : public QObject
{
    Q_OBJECT
private slots:
    void delayedTipsPostedFromAWorker();
    void placement_data();
    void placement();
    void cleanupFailureLeavesThePanelInView();
    void tipsStayOnScreen_data();
    void resultsTipSaysWhatWasFound_data();
    void resultsTipSaysWhatWasFound();
    void tipsStayOnScreen();
    void showingAgainReplaces();
    void emptyAnchorShowsNothing();
    void tipsOff_data();
    void tipsOff();
    void cleaningStatus_data();
    void cleaningStatus();
    void delayedTipDuringModalRun();
    void hides_data();
    void hides();
    void cancelText();
};

// The summary posts from the cleaning worker: the timers are still made on the main thread.
void tst_Tips::delayedTipsPostedFromAWorker()
{
    Shelf shelf(false);
    Shelf::setTipsEnabled(false);
    std::thread worker([] {
        Shelf::post("CleanSystemTip");
        Shelf::post("CleaningStatusTips");
    });
    worker.join();
    QTRY_COMPARE(platform::Timer::pendingTimers().size(), 2);
    QVERIFY(shelf.tips.cleanSystemTipTimer() && shelf.tips.cleaningStatusTipTimer());
    for (const auto &timer : platform::Timer::pendingTimers())
        QCOMPARE(timer->thread(), QThread::currentThread());
    QCOMPARE(platform::Timer::fireAllPending(), 2);
    QCOMPARE(shelf.shownTips(), 0);
}

void tst_Tips::placement_data()
{
    QTest::addColumn<QString>("notification");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QString>("point");
    QTest::addColumn<int>("side");
    QTest::addColumn<int>("distance");

    QTest::newRow("main: list") << "MainTips"
                                << "mainAppsList"
                                << "window-middle" << 0 << 0;
    QTest::newRow("main: scan") << "MainTips"
                                << "mainScanButton"
                                << "right-middle" << 2 << 6;
    QTest::newRow("main: help") << "MainTips"
                                << "mainHelpButton"
                                << "left-middle" << 0 << 6;
    QTest::newRow("zoom: list") << "MainTipsZoom"
                                << "mainAppsList"
                                << "centre" << 1 << 0;
    QTest::newRow("zoom: scan") << "MainTipsZoom"
                                << "mainScanButton"
                                << "left-middle" << 0 << 6;
    QTest::newRow("zoom: help") << "MainTipsZoom"
                                << "mainHelpButton"
                                << "right-middle" << 2 << 6;
    QTest::newRow("results: list") << "ResultsTips"
                                   << "resultsList"
                                   << "window-middle" << 0 << 0;
    QTest::newRow("results: clean") << "ResultsTips"
                                    << "resultsShredButton"
                                    << "left-middle" << 0 << 0;
    QTest::newRow("results zoom: list") << "ResultsTipsZoom"
                                        << "resultsList"
                                        << "centre" << 1 << 0;
    QTest::newRow("results zoom: clean") << "ResultsTipsZoom"
                                         << "resultsShredButton"
                                         << "top-centre" << 9 << 0;
    QTest::newRow("settings") << "PrefsTips"
                              << "prefsAppList"
                              << "left-middle" << 0 << 10;
    QTest::newRow("cleanup failure") << "TempCleaningFailTip"
                                     << "tempCleaningFail"
                                     << "right-middle" << 2 << 17;
}

void tst_Tips::placement()
{
    QFETCH(QString, notification);
    QFETCH(QString, tip);
    QFETCH(QString, point);
    QFETCH(int, side);
    QFETCH(int, distance);

    Shelf shelf;
    Shelf::post(notification);
    const MAAttachedWindow *window = tipGetters().value(tip)(shelf.tips);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->side(), side);
    QWidget *anchorWindow = window->attachedWindow();
    QVERIFY(ChildWindows::childWindows(anchorWindow).contains(window));
    const QHash<QString, QWidget *> anchors{{"mainAppsList", shelf.tips.mainAppsList()},
                                            {"mainScanButton", shelf.tips.mainScanButton()},
                                            {"mainHelpButton", shelf.tips.mainHelpButton()},
                                            {"resultsList", shelf.tips.resultsList()},
                                            {"resultsShredButton", shelf.tips.resultsShredButton()},
                                            {"prefsAppList", shelf.tips.prefsAppListButton()},
                                            {"tempCleaningFail", shelf.tips.tempCleaningFailTextField()}};
    const QWidget *anchor = anchors.value(tip);
    QVERIFY(anchor);
    const QPoint p = anchorPoint(anchor, point);
    QVERIFY2(touches(window, p, side, distance),
             qPrintable(u"tip at %1,%2 %3x%4, point %5,%6"_s.arg(window->x())
                            .arg(window->y())
                            .arg(window->width())
                            .arg(window->height())
                            .arg(p.x())
                            .arg(p.y())));
}

// A window moved to the screen's edge (or maximised): a tip that would leave the screen on its
// side is laid out on one where it fits.
void tst_Tips::tipsStayOnScreen_data()
{
    QTest::addColumn<QString>("notification");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QPoint>("windowAt");
    QTest::newRow("scan button at the right edge") << "MainTips"
                                                   << "mainScanButton" << QPoint(500, 100);
    QTest::newRow("list at the left edge") << "MainTips"
                                           << "mainAppsList" << QPoint(0, 100);
    QTest::newRow("help button at the left edge") << "MainTips"
                                                  << "mainHelpButton" << QPoint(0, 100);
}

void tst_Tips::tipsStayOnScreen()
{
    QFETCH(QString, notification);
    QFETCH(QString, tip);
    QFETCH(QPoint, windowAt);
    Shelf shelf;
    shelf.mainWindow.move(windowAt);
    Shelf::post(notification);
    const MAAttachedWindow *window = tipGetters().value(tip)(shelf.tips);
    QVERIFY(window);
    const QRect screen = shelf.mainWindow.screen()->availableGeometry();
    QVERIFY2(screen.contains(window->geometry()),
             qPrintable(
                 u"tip at %1,%2 %3x%4"_s.arg(window->x()).arg(window->y()).arg(window->width()).arg(window->height())));
    QVERIFY(window->placedSide() != window->side());
}

void tst_Tips::resultsTipSaysWhatWasFound_data()
{
    QTest::addColumn<QString>("notification");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("text");
    const QString found = u"These privacy threats were found. Untick any item you want to keep."_s;
    const QString nothing = u"No privacy threats were found."_s;
    QTest::newRow("threats") << "ResultsTips" << 2 << found;
    QTest::newRow("nothing found") << "ResultsTips" << 0 << nothing;
    QTest::newRow("nothing found, zoomed") << "ResultsTipsZoom" << 0 << nothing;
}

void tst_Tips::resultsTipSaysWhatWasFound()
{
    QFETCH(QString, notification);
    QFETCH(int, rows);
    QFETCH(QString, text);
    Shelf shelf;
    QStandardItemModel results(rows, 3);
    auto *list = new QTableView(&shelf.mainWindow);
    list->setGeometry(10, 10, 280, 400);
    list->setModel(&results);
    shelf.tips.setResultsList(list);
    Shelf::post(notification);
    QVERIFY(shelf.tips.resultsListWindow());
    QCOMPARE(shelf.tips.resultsListTextField()->text(), text);
    Shelf::post("ResultsTipsEnd");
}

// The cleanup panel as the application shows it after a failure, over the main window with
// its start-up tips: the panel's image, its text and both tips stay in view.
void tst_Tips::cleanupFailureLeavesThePanelInView()
{
    Shelf shelf;
    TempCleaningPanel panel(&shelf.mainWindow);
    QPixmap fail(64, 64);
    fail.fill(Qt::red);
    panel.tempCleaningStatusImage()->setPixmap(fail);
    panel.stopProgress();
    panel.tempCleaningProgressText()->setText(u"Temporary file cleaning failed."_s);
    shelf.tips.setTempCleaningFailTextField(panel.tempCleaningProgressText());
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    // Centred on the main window once laid out, as a window manager places it.
    QRect centred = panel.geometry();
    centred.moveCenter(shelf.mainWindow.geometry().center());
    panel.setGeometry(centred);
    QTRY_COMPARE(panel.geometry(), centred);
    Shelf::post("MainTips");
    Shelf::post("TempCleaningFailTip");

    const MAAttachedWindow *tip = shelf.tips.tempCleaningFailWindow();
    QVERIFY(tip && tip->isVisible());
    const auto onScreen = [](const QWidget *widget) {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    };
    QVERIFY(!tip->geometry().intersects(onScreen(panel.tempCleaningStatusImage())));
    QVERIFY(!tip->geometry().intersects(onScreen(panel.tempCleaningProgressText())));
    QVERIFY(!tip->geometry().intersects(onScreen(panel.tempCleaningButton())));
    for (const MAAttachedWindow *mainTip :
         {shelf.tips.mainAppsListWindow(), shelf.tips.mainScanButtonWindow(), shelf.tips.mainHelpButtonWindow()}) {
        QVERIFY(!tip->geometry().intersects(mainTip->geometry()));
        QVERIFY2(!panel.geometry().intersects(mainTip->geometry()), // nor the panel itself
                 qPrintable(u"panel %1,%2 %3x%4, tip %5,%6 %7x%8"_s.arg(panel.x())
                                .arg(panel.y())
                                .arg(panel.width())
                                .arg(panel.height())
                                .arg(mainTip->x())
                                .arg(mainTip->y())
                                .arg(mainTip->width())
                                .arg(mainTip->height())));
    }
}

void tst_Tips::showingAgainReplaces()
{
    Shelf shelf;
    Shelf::post("MainTips");
    Shelf::post("MainTips");
    QCOMPARE(ChildWindows::childWindows(&shelf.mainWindow).size(), 3);
    Shelf::post("MainTipsZoom");
    QCOMPARE(ChildWindows::childWindows(&shelf.mainWindow).size(), 3);
    Shelf::post("MainTipsEnd");
    QCOMPARE(ChildWindows::childWindows(&shelf.mainWindow).size(), 0);
}

void tst_Tips::emptyAnchorShowsNothing()
{
    Shelf shelf;
    shelf.tips.setMainHelpButton(nullptr);
    Shelf::post("MainTips");
    QVERIFY(!shelf.tips.mainHelpButtonWindow());
    QCOMPARE(ChildWindows::childWindows(&shelf.mainWindow).size(), 2);
}

void tst_Tips::tipsOff_data()
{
    QTest::addColumn<QStringList>("posts");
    QTest::addColumn<int>("timers");

    QTest::newRow("main") << QStringList{"MainTips", "MainTipsZoom"} << 0;
    QTest::newRow("results and settings") << QStringList{"ResultsTips", "ResultsTipsZoom", "PrefsTips"} << 0;
    QTest::newRow("cleanup failure") << QStringList{"TempCleaningFailTip"} << 0;
    QTest::newRow("delayed") << QStringList{"CleanSystemTip", "CleaningStatusTips"} << 2;
}

void tst_Tips::tipsOff()
{
    QFETCH(QStringList, posts);
    QFETCH(int, timers);

    Shelf shelf;
    shelf.heading->setText("Could Not Clean");
    Shelf::setTipsEnabled(false);
    for (const QString &name : posts)
        Shelf::post(name);
    // The delayed tips' timers still run, and are gone once they have fired.
    const auto pending = platform::Timer::pendingTimers();
    QCOMPARE(pending.size(), timers);
    for (const auto &timer : pending)
        QCOMPARE(timer->timeInterval(), 0.1);
    QCOMPARE(platform::Timer::fireAllPending(), timers);
    for (const auto &timer : pending)
        QVERIFY(!timer || !timer->isValid());
    QCOMPARE(shelf.shownTips(), 0);
    QCOMPARE(shelf.childWindows(), 0);
}

void tst_Tips::cleaningStatus_data()
{
    QTest::addColumn<QString>("heading");
    QTest::addColumn<bool>("cleanSystem");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("problems") << "Cleaning Problems Occurred" << false << QStringList{"problemStatus"};
    QTest::newRow("could not clean") << "Could Not Clean" << false << QStringList{"couldNotCleanStatus"};
    QTest::newRow("successful") << "Cleaning Successful" << false << QStringList{};
    QTest::newRow("clean system") << "System Is Clean" << true << QStringList{"cleanSystem"};
    QTest::newRow("heading differs in case") << "could not clean" << false << QStringList{};
}

void tst_Tips::cleaningStatus()
{
    QFETCH(QString, heading);
    QFETCH(bool, cleanSystem);
    QFETCH(QStringList, shown);

    Shelf shelf;
    shelf.resultsDialog.show();
    shelf.heading->setText(heading);
    if (cleanSystem)
        Shelf::post("CleanSystemTip");
    Shelf::post("CleaningStatusTips");
    QCOMPARE(shelf.shownTips(), 0); // not before the timers fire
    platform::Timer::fireAllPending();

    QStringList nowShown;
    for (auto it = tipGetters().cbegin(); it != tipGetters().cend(); ++it) {
        if (it.value()(shelf.tips))
            nowShown.append(it.key());
    }
    QCOMPARE(nowShown, shown);
    for (const QString &name : shown) {
        const MAAttachedWindow *tip = tipGetters().value(name)(shelf.tips);
        QCOMPARE(tip->attachedWindow(), &shelf.resultsDialog);
        // 57 points left of the heading's row: the tip leaves the heading's icon in view.
        const QRect icon(shelf.headingIcon->mapToGlobal(QPoint(0, 0)), shelf.headingIcon->size());
        QVERIFY(touches(tip, QPoint(icon.x(), anchorPoint(shelf.heading, "left-middle").y()), 0, 57));
        QVERIFY(!tip->geometry().intersects(icon));
    }
    Shelf::post("CleaningStatusTipsEnd");
    Shelf::post("CleanSystemTipEnd");
    QCOMPARE(shelf.childWindows(), 0);
}

void tst_Tips::delayedTipDuringModalRun()
{
    Shelf shelf;
    shelf.heading->setText("Could Not Clean");
    // The summary posts from the cleaning worker, then runs its window modally.
    std::thread worker([] { Shelf::post("CleaningStatusTips"); });
    worker.join();

    bool shownWhileModal = false;
    platform::Modal::setObserver([&](QWidget *, bool) {
        shownWhileModal = QTest::qWaitFor([&] { return shelf.tips.couldNotCleanStatusWindow() != nullptr; });
        platform::Modal::stopModal();
    });
    platform::Modal::runModalForWindow(&shelf.resultsDialog);
    platform::Modal::setObserver({});
    QVERIFY(shownWhileModal);
    QVERIFY(ChildWindows::childWindows(&shelf.resultsDialog).contains(shelf.tips.couldNotCleanStatusWindow()));
}

void tst_Tips::hides_data()
{
    QTest::addColumn<QString>("show");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("shown");
    QTest::addColumn<bool>("tipsOffBeforeEnd");

    QTest::newRow("main") << "MainTips"
                          << "MainTipsEnd" << 3 << false;
    QTest::newRow("zoomed main, tips switched off first") << "MainTipsZoom"
                                                          << "MainTipsEnd" << 3 << true;
    QTest::newRow("zoomed results") << "ResultsTipsZoom"
                                    << "ResultsTipsEnd" << 2 << false;
    QTest::newRow("settings") << "PrefsTips"
                              << "PrefsTipsEnd" << 1 << false;
    QTest::newRow("cleanup failure on its panel") << "TempCleaningFailTip"
                                                  << "TempCleaningFailTipEnd" << 1 << false;
    QTest::newRow("clean system, never shown") << ""
                                               << "CleanSystemTipEnd" << 0 << false;
    QTest::newRow("cleanup failure, never shown") << ""
                                                  << "TempCleaningFailTipEnd" << 0 << false;
    QTest::newRow("results, never shown") << ""
                                          << "ResultsTipsEnd" << 0 << false;
}

void tst_Tips::hides()
{
    QFETCH(QString, show);
    QFETCH(QString, end);
    QFETCH(int, shown);
    QFETCH(bool, tipsOffBeforeEnd);

    Shelf shelf;
    if (!show.isEmpty())
        Shelf::post(show);
    QCOMPARE(shelf.shownTips(), shown);
    QCOMPARE(shelf.childWindows(), shown);
    if (tipsOffBeforeEnd)
        Shelf::setTipsEnabled(false);
    Shelf::post(end);
    Shelf::post(end); // a second End finds nothing to hide
    QCOMPARE(shelf.shownTips(), 0);
    QCOMPARE(shelf.childWindows(), 0);
    // Every view is back with the others, ready for the next tip.
    for (QWidget *view : shelf.views.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        QVERIFY(!view->isVisible());
    QCOMPARE(shelf.views.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly).size(), 10);
}

void tst_Tips::cancelText()
{
    Shelf shelf;
    const QString before = shelf.views.resultsShredButtonTextField()->text();
    Shelf::setTipsEnabled(false);
    Shelf::post("CancelShredTipText");
    const QString cancel = u"Click here to cancel privacy threat cleaning"_s;
    QCOMPARE(shelf.views.resultsShredButtonTextField()->text(), cancel);
    QVERIFY(before != cancel);

    Shelf::setTipsEnabled(true);
    Shelf::post("ResultsTips");
    const MAAttachedWindow *tip = shelf.tips.resultsShredButtonWindow();
    QVERIFY(tip);
    QCOMPARE(tip->view(), shelf.views.resultsShredButtonView());
    QVERIFY(tip->view()->isAncestorOf(shelf.views.resultsShredButtonTextField()));
}

QTEST_MAIN(tst_Tips)
#include "tst_tips.moc"
