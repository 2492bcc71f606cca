#include "ui/tips/TipController.h"

#include "core/Keys.h"
#include "core/Settings.h"
#include "platform/gui/ChildWindows.h"
#include "platform/gui/WindowGeometry.h"
#include "platform/system/MainThread.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "ui/tips/MAAttachedWindow.h"

#include <QAbstractItemView>

#include <algorithm>

using namespace Qt::StringLiterals;

using platform::WindowGeometry;

namespace {
const QString kProblemsHeading = u"Cleaning Problems Occurred"_s;
const QString kCouldNotCleanHeading = u"Could Not Clean"_s;
const QString kCancelText = u"Click here to cancel privacy threat cleaning"_s;
const QString kThreatsFoundText = u"These privacy threats were found. Untick any item you want to keep."_s;
const QString kNothingFoundText = u"No privacy threats were found."_s;
constexpr double kDelayedTipSeconds = 0.1;
} // namespace

TipController::TipController(QObject *parent)
    : QObject(parent)
{
    auto &center = platform::NotificationCenter::defaultCenter();
    auto observe = [&](const QString &name, void (TipController::*handler)()) {
        center.addObserver(this, name, [this, handler](const platform::Notification &) { (this->*handler)(); });
    };
    observe(keys::PrefsTips, &TipController::showPrefsTips);
    observe(keys::MainTips, &TipController::showMainTips);
    observe(keys::ResultsTips, &TipController::showResultsTips);
    observe(keys::CleaningStatusTips, &TipController::showCleaningStatusTips);
    observe(keys::CleanSystemTip, &TipController::showCleanSystemTip);
    observe(keys::TempCleaningFailTip, &TipController::showTempCleaningFailTip);
    observe(keys::PrefsTipsEnd, &TipController::hidePrefsTips);
    observe(keys::MainTipsEnd, &TipController::hideMainTips);
    observe(keys::ResultsTipsEnd, &TipController::hideResultsTips);
    observe(keys::CleaningStatusTipsEnd, &TipController::hideCleaningStatusTips);
    observe(keys::CleanSystemTipEnd, &TipController::hideCleanSystemTip);
    observe(keys::TempCleaningFailTipEnd, &TipController::hideTempCleaningFailTip);
    observe(keys::MainTipsZoom, &TipController::showMainTipsZoom);
    observe(keys::ResultsTipsZoom, &TipController::showResultsTipsZoom);
    observe(keys::CancelShredTipText, &TipController::changeShredTipText);
}

TipController::~TipController()
{
    for (TipField field : {&TipController::m_prefsAppListWindow, &TipController::m_mainAppsListWindow,
                           &TipController::m_mainScanButtonWindow, &TipController::m_mainHelpButtonWindow,
                           &TipController::m_resultsListWindow, &TipController::m_resultsShredButtonWindow,
                           &TipController::m_problemStatusWindow, &TipController::m_couldNotCleanStatusWindow,
                           &TipController::m_cleanSystemWindow, &TipController::m_tempCleaningFailWindow})
        hideTipWindow(this->*field, nullptr);
}

bool TipController::tipsEnabled()
{
    return Settings::boolValue(Settings::Key::EnableTips);
}

QPointF TipController::anchorPoint(const QWidget *anchor, AnchorPoint point)
{
    // The anchor's place in its window, wherever the layout nests it.
    const QRectF f = WindowGeometry::frameInWindow(anchor);
    switch (point) {
    case AnchorPoint::LeftMiddle:
        return {f.x(), f.y() + f.height() / 2};
    case AnchorPoint::RightMiddle:
        return {f.x() + f.width(), f.y() + f.height() / 2};
    case AnchorPoint::Centre:
        return {f.x() + f.width() / 2, f.y() + f.height() / 2};
    case AnchorPoint::TopCentre:
        return {f.x() + f.width() / 2, f.y() + f.height()};
    case AnchorPoint::WindowMiddle:
        return {f.x(), WindowGeometry::frame(anchor->window()).height() / 2};
    case AnchorPoint::RowLeftMiddle: {
        const double middle = f.y() + f.height() / 2;
        double left = f.x();
        if (const QWidget *parent = anchor->parentWidget()) {
            for (const QWidget *beside : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                const QRectF b = WindowGeometry::frameInWindow(beside);
                if (!beside->isHidden() && !beside->isWindow() && b.y() <= middle && middle <= b.y() + b.height())
                    left = std::min(left, b.x());
            }
        }
        return {left, middle};
    }
    }
    return {};
}

void TipController::showTip(const Tip &row)
{
    // A tip shown again replaces the one on screen, so no tip is left that no hide reaches.
    QPointer<MAAttachedWindow> &field = this->*row.tip;
    hideTipWindow(field, nullptr);
    QWidget *anchor = this->*row.anchor;
    QWidget *view = this->*row.view;
    if (!anchor || !view)
        return; // no window to add it to
    QWidget *window = anchor->window();
    std::unique_ptr<MAAttachedWindow> tip =
        MAAttachedWindow::initWithView(view, anchorPoint(anchor, row.point), window, row.side, row.distance);
    if (!tip)
        return;
    // The anchor's place is read again whenever its window moves, grows or gets its frame.
    tip->setPointSource([anchor = QPointer<QWidget>(anchor), point = row.point]() -> std::optional<QPointF> {
        if (!anchor)
            return std::nullopt;
        return anchorPoint(anchor, point);
    });
    field = tip.get();
    platform::ChildWindows::addChildWindow(window, tip.release());
}

void TipController::showSet(std::initializer_list<Tip> tips)
{
    if (!tipsEnabled())
        return;
    for (const Tip &tip : tips)
        showTip(tip);
}

void TipController::hideTipWindow(QPointer<MAAttachedWindow> &tip, QWidget *parentWindow)
{
    if (!tip)
        return;
    MAAttachedWindow *window = tip;
    tip = nullptr;
    // The window it was really added to may not be the one named (the cleanup panel's tip).
    platform::ChildWindows::removeChildWindow(parentWindow, window);
    platform::ChildWindows::removeChildWindow(window->parentWidget(), window);
    window->hide();
    delete window;
}

void TipController::scheduleDelayedTip(QPointer<platform::Timer> TipController::*timer, void (TipController::*fire)())
{
    auto schedule = [this, timer, fire] {
        this->*timer = platform::Timer::scheduledTimer(kDelayedTipSeconds, this, [this, fire] { (this->*fire)(); });
    };
    // The summary may post from the cleaning worker; timers live on the main thread. A call
    // queued to this object is dropped if the object goes first.
    if (platform::MainThread::isMainThread())
        schedule();
    else
        QMetaObject::invokeMethod(this, schedule, Qt::QueuedConnection);
}

void TipController::showPrefsTips()
{
    showSet({{&TipController::m_prefsAppListWindow, &TipController::m_prefsAppListButton, AnchorPoint::LeftMiddle,
              &TipController::m_prefsAppListView, 0, 10}});
}

void TipController::showMainTips()
{
    showSet({{&TipController::m_mainAppsListWindow, &TipController::m_mainAppsList, AnchorPoint::WindowMiddle,
              &TipController::m_mainAppsListView, 0, 0},
             {&TipController::m_mainScanButtonWindow, &TipController::m_mainScanButton, AnchorPoint::RightMiddle,
              &TipController::m_mainScanButtonView, 2, 6},
             {&TipController::m_mainHelpButtonWindow, &TipController::m_mainHelpButton, AnchorPoint::LeftMiddle,
              &TipController::m_mainHelpButtonView, 0, 6}});
}

void TipController::showMainTipsZoom()
{
    showSet({{&TipController::m_mainAppsListWindow, &TipController::m_mainAppsList, AnchorPoint::Centre,
              &TipController::m_mainAppsListView, 1, 0},
             {&TipController::m_mainScanButtonWindow, &TipController::m_mainScanButton, AnchorPoint::LeftMiddle,
              &TipController::m_mainScanButtonView, 0, 6},
             {&TipController::m_mainHelpButtonWindow, &TipController::m_mainHelpButton, AnchorPoint::RightMiddle,
              &TipController::m_mainHelpButtonView, 2, 6}});
}

void TipController::updateResultsListText()
{
    const auto *list = qobject_cast<const QAbstractItemView *>(m_resultsList.data());
    if (m_resultsListTextField && list)
        m_resultsListTextField->setText(list->model() && list->model()->rowCount() > 0 ? kThreatsFoundText
                                                                                       : kNothingFoundText);
}

void TipController::showResultsTips()
{
    updateResultsListText();
    showSet({{&TipController::m_resultsListWindow, &TipController::m_resultsList, AnchorPoint::WindowMiddle,
              &TipController::m_resultsListView, 0, 0},
             {&TipController::m_resultsShredButtonWindow, &TipController::m_resultsShredButton, AnchorPoint::LeftMiddle,
              &TipController::m_resultsShredButtonView, 0, 0}});
}

void TipController::showResultsTipsZoom()
{
    updateResultsListText();
    showSet({{&TipController::m_resultsListWindow, &TipController::m_resultsList, AnchorPoint::Centre,
              &TipController::m_resultsListView, 1, 0},
             {&TipController::m_resultsShredButtonWindow, &TipController::m_resultsShredButton, AnchorPoint::TopCentre,
              &TipController::m_resultsShredButtonView, 9, 0}});
}

void TipController::showTempCleaningFailTip()
{
    // From the right of the panel's text: on its left lie the panel's result image and, below
    // the panel's edge, the main window's list tip.
    showSet({{&TipController::m_tempCleaningFailWindow, &TipController::m_tempCleaningFailTextField,
              AnchorPoint::RightMiddle, &TipController::m_tempCleaningFailView, 2, 17}});
}

void TipController::showCleaningStatusTips()
{
    scheduleDelayedTip(&TipController::m_cleaningStatusTipTimer, &TipController::showCleaningStatusTipsTimerFire);
}

void TipController::showCleanSystemTip()
{
    scheduleDelayedTip(&TipController::m_cleanSystemTipTimer, &TipController::showCleanSystemTipTimerFire);
}

void TipController::showCleaningStatusTipsTimerFire()
{
    // The timer has invalidated itself before calling us.
    const QString heading = m_cleaningStatusTextField ? m_cleaningStatusTextField->text() : QString();
    if (heading == kProblemsHeading)
        showSet({{&TipController::m_problemStatusWindow, &TipController::m_cleaningStatusAnchor,
                  AnchorPoint::RowLeftMiddle, &TipController::m_problemStatusView, 0, 57}});
    else if (heading == kCouldNotCleanHeading)
        showSet({{&TipController::m_couldNotCleanStatusWindow, &TipController::m_cleaningStatusAnchor,
                  AnchorPoint::RowLeftMiddle, &TipController::m_couldNotCleanStatusView, 0, 57}});
}

void TipController::showCleanSystemTipTimerFire()
{
    showSet({{&TipController::m_cleanSystemWindow, &TipController::m_cleaningStatusAnchor, AnchorPoint::RowLeftMiddle,
              &TipController::m_cleanSystemView, 0, 57}});
}

void TipController::hidePrefsTips()
{
    hideTipWindow(m_prefsAppListWindow, m_prefsWindow);
}

void TipController::hideMainTips()
{
    hideTipWindow(m_mainAppsListWindow, m_mainWindow);
    hideTipWindow(m_mainScanButtonWindow, m_mainWindow);
    hideTipWindow(m_mainHelpButtonWindow, m_mainWindow);
}

void TipController::hideResultsTips()
{
    hideTipWindow(m_resultsListWindow, m_resultsWindow);
    hideTipWindow(m_resultsShredButtonWindow, m_resultsWindow);
}

void TipController::hideCleaningStatusTips()
{
    hideTipWindow(m_problemStatusWindow, m_cleaningStatusWindow);
    hideTipWindow(m_couldNotCleanStatusWindow, m_cleaningStatusWindow);
}

void TipController::hideCleanSystemTip()
{
    hideTipWindow(m_cleanSystemWindow, m_cleaningStatusWindow);
}

void TipController::hideTempCleaningFailTip()
{
    hideTipWindow(m_tempCleaningFailWindow, m_mainWindow);
}

void TipController::changeShredTipText()
{
    if (m_resultsShredButtonTextField)
        m_resultsShredButtonTextField->setText(kCancelText);
}
