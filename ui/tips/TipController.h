#pragma once

#include "platform/system/Timer.h"
#include "ui/tips/MAAttachedWindow.h"

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <initializer_list>

// Shows and hides the help tips: attached windows whose arrows point at controls of the main
// window, the settings window, the cleaning results window and the temporary-file cleanup
// panel. The controllers of those windows say when by notifications; each name shows or hides
// one fixed set of tips. Shows do nothing while tips are off; hides always run.
class TipController : public QObject
{
    Q_OBJECT
public:
    // Observes the fifteen tip notifications.
    explicit TipController(QObject *parent = nullptr);
    ~TipController() override;

    // Outlets: the windows tips are detached from when hidden.
    QWidget *mainWindow() const { return m_mainWindow; }
    void setMainWindow(QWidget *window) { m_mainWindow = window; }
    QWidget *prefsWindow() const { return m_prefsWindow; }
    void setPrefsWindow(QWidget *window) { m_prefsWindow = window; }
    QWidget *resultsWindow() const { return m_resultsWindow; }
    void setResultsWindow(QWidget *window) { m_resultsWindow = window; }
    QWidget *cleaningStatusWindow() const { return m_cleaningStatusWindow; }
    void setCleaningStatusWindow(QWidget *window) { m_cleaningStatusWindow = window; }

    // Outlets: the anchors the arrows point at.
    QWidget *prefsAppListButton() const { return m_prefsAppListButton; }
    void setPrefsAppListButton(QWidget *anchor) { m_prefsAppListButton = anchor; }
    QWidget *mainAppsList() const { return m_mainAppsList; }
    void setMainAppsList(QWidget *anchor) { m_mainAppsList = anchor; }
    QWidget *mainScanButton() const { return m_mainScanButton; }
    void setMainScanButton(QWidget *anchor) { m_mainScanButton = anchor; }
    QWidget *mainHelpButton() const { return m_mainHelpButton; }
    void setMainHelpButton(QWidget *anchor) { m_mainHelpButton = anchor; }
    QWidget *resultsList() const { return m_resultsList; }
    void setResultsList(QWidget *anchor) { m_resultsList = anchor; }
    QWidget *resultsShredButton() const { return m_resultsShredButton; }
    void setResultsShredButton(QWidget *anchor) { m_resultsShredButton = anchor; }
    QLabel *cleaningStatusTextField() const { return m_cleaningStatusTextField; }
    void setCleaningStatusTextField(QLabel *anchor)
    {
        m_cleaningStatusTextField = anchor;
        m_cleaningStatusAnchor = anchor;
    }
    QWidget *tempCleaningFailTextField() const { return m_tempCleaningFailTextField; }
    void setTempCleaningFailTextField(QWidget *anchor) { m_tempCleaningFailTextField = anchor; }

    // Outlets: the tips' contents.
    QWidget *prefsAppListView() const { return m_prefsAppListView; }
    void setPrefsAppListView(QWidget *view) { m_prefsAppListView = view; }
    QWidget *mainAppsListView() const { return m_mainAppsListView; }
    void setMainAppsListView(QWidget *view) { m_mainAppsListView = view; }
    QWidget *mainScanButtonView() const { return m_mainScanButtonView; }
    void setMainScanButtonView(QWidget *view) { m_mainScanButtonView = view; }
    QWidget *mainHelpButtonView() const { return m_mainHelpButtonView; }
    void setMainHelpButtonView(QWidget *view) { m_mainHelpButtonView = view; }
    QWidget *resultsListView() const { return m_resultsListView; }
    void setResultsListView(QWidget *view) { m_resultsListView = view; }
    QWidget *resultsShredButtonView() const { return m_resultsShredButtonView; }
    void setResultsShredButtonView(QWidget *view) { m_resultsShredButtonView = view; }
    QLabel *resultsShredButtonTextField() const { return m_resultsShredButtonTextField; }
    void setResultsShredButtonTextField(QLabel *field) { m_resultsShredButtonTextField = field; }
    QLabel *resultsListTextField() const { return m_resultsListTextField; }
    void setResultsListTextField(QLabel *field) { m_resultsListTextField = field; }
    QWidget *problemStatusView() const { return m_problemStatusView; }
    void setProblemStatusView(QWidget *view) { m_problemStatusView = view; }
    QWidget *couldNotCleanStatusView() const { return m_couldNotCleanStatusView; }
    void setCouldNotCleanStatusView(QWidget *view) { m_couldNotCleanStatusView = view; }
    QWidget *cleanSystemView() const { return m_cleanSystemView; }
    void setCleanSystemView(QWidget *view) { m_cleanSystemView = view; }
    QWidget *tempCleaningFailView() const { return m_tempCleaningFailView; }
    void setTempCleaningFailView(QWidget *view) { m_tempCleaningFailView = view; }

    // The tips while they are shown; null otherwise.
    MAAttachedWindow *prefsAppListWindow() const { return m_prefsAppListWindow; }
    MAAttachedWindow *mainAppsListWindow() const { return m_mainAppsListWindow; }
    MAAttachedWindow *mainScanButtonWindow() const { return m_mainScanButtonWindow; }
    MAAttachedWindow *mainHelpButtonWindow() const { return m_mainHelpButtonWindow; }
    MAAttachedWindow *resultsListWindow() const { return m_resultsListWindow; }
    MAAttachedWindow *resultsShredButtonWindow() const { return m_resultsShredButtonWindow; }
    MAAttachedWindow *problemStatusWindow() const { return m_problemStatusWindow; }
    MAAttachedWindow *couldNotCleanStatusWindow() const { return m_couldNotCleanStatusWindow; }
    MAAttachedWindow *cleanSystemWindow() const { return m_cleanSystemWindow; }
    MAAttachedWindow *tempCleaningFailWindow() const { return m_tempCleaningFailWindow; }
    // The pending timers of the delayed tips.
    platform::Timer *cleaningStatusTipTimer() const { return m_cleaningStatusTipTimer; }
    platform::Timer *cleanSystemTipTimer() const { return m_cleanSystemTipTimer; }

    void showPrefsTips();
    void showMainTips();
    void showResultsTips();
    // These two wait 0.1 s (also while a window runs modally) and may be posted on any thread.
    void showCleaningStatusTips();
    void showCleanSystemTip();
    void showTempCleaningFailTip();
    void hidePrefsTips();
    void hideMainTips();
    void hideResultsTips();
    void hideCleaningStatusTips();
    void hideCleanSystemTip();
    void hideTempCleaningFailTip();
    void showMainTipsZoom();
    void showResultsTipsZoom();
    void changeShredTipText();

    void showCleaningStatusTipsTimerFire();
    void showCleanSystemTipTimerFire();

private:
    // Where on its anchor a tip points.
    // RowLeftMiddle: the left-middle of the anchor's row, taking in what sits beside it on
    // its left (the heading's icon), so that a tip on the left does not cover it.
    enum class AnchorPoint { LeftMiddle, RightMiddle, Centre, TopCentre, WindowMiddle, RowLeftMiddle };
    using TipField = QPointer<MAAttachedWindow> TipController::*;
    using WidgetOutlet = QPointer<QWidget> TipController::*;
    struct Tip
    {
        TipField tip;
        WidgetOutlet anchor;
        AnchorPoint point;
        WidgetOutlet view;
        int side;
        float distance;
    };

    static bool tipsEnabled();
    // The results list's tip tells what the scan found: threats to untick, or none at all.
    void updateResultsListText();
    static QPointF anchorPoint(const QWidget *anchor, AnchorPoint point);
    void showTip(const Tip &tip);
    void showSet(std::initializer_list<Tip> tips);
    void hideTipWindow(QPointer<MAAttachedWindow> &tip, QWidget *parentWindow);
    void scheduleDelayedTip(QPointer<platform::Timer> TipController::*timer, void (TipController::*fire)());

    QPointer<QWidget> m_mainWindow;
    QPointer<QWidget> m_prefsWindow;
    QPointer<QWidget> m_resultsWindow;
    QPointer<QWidget> m_cleaningStatusWindow;
    QPointer<MAAttachedWindow> m_prefsAppListWindow;
    QPointer<QWidget> m_prefsAppListButton;
    QPointer<QWidget> m_prefsAppListView;
    QPointer<MAAttachedWindow> m_mainAppsListWindow;
    QPointer<MAAttachedWindow> m_mainScanButtonWindow;
    QPointer<MAAttachedWindow> m_mainHelpButtonWindow;
    QPointer<QWidget> m_mainAppsList;
    QPointer<QWidget> m_mainScanButton;
    QPointer<QWidget> m_mainHelpButton;
    QPointer<QWidget> m_mainAppsListView;
    QPointer<QWidget> m_mainScanButtonView;
    QPointer<QWidget> m_mainHelpButtonView;
    QPointer<MAAttachedWindow> m_resultsListWindow;
    QPointer<MAAttachedWindow> m_resultsShredButtonWindow;
    QPointer<QWidget> m_resultsList;
    QPointer<QWidget> m_resultsShredButton;
    QPointer<QWidget> m_resultsListView;
    QPointer<QWidget> m_resultsShredButtonView;
    QPointer<QLabel> m_resultsShredButtonTextField;
    QPointer<QLabel> m_resultsListTextField;
    QPointer<MAAttachedWindow> m_problemStatusWindow;
    QPointer<MAAttachedWindow> m_couldNotCleanStatusWindow;
    QPointer<MAAttachedWindow> m_cleanSystemWindow;
    QPointer<QLabel> m_cleaningStatusTextField;
    QPointer<QWidget> m_cleaningStatusAnchor; // the same field, as an anchor
    QPointer<QWidget> m_problemStatusView;
    QPointer<QWidget> m_couldNotCleanStatusView;
    QPointer<QWidget> m_cleanSystemView;
    QPointer<platform::Timer> m_cleaningStatusTipTimer;
    QPointer<platform::Timer> m_cleanSystemTipTimer;
    QPointer<MAAttachedWindow> m_tempCleaningFailWindow;
    QPointer<QWidget> m_tempCleaningFailTextField;
    QPointer<QWidget> m_tempCleaningFailView;
};
