#pragma once

#include "core/records/resultItem.h"
#include "platform/system/ArrayController.h"
#include "ui/animation/QZShredderAnimator.h"
#include "ui/results/CleaningRunHost.h"
#include "ui/summary/CleaningResultsWindow.h"
#include "ui/summary/CleaningSummary.h"

#include <QAction>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTableView>
#include <QVariantMap>
#include <QWidget>

#include <atomic>
#include <memory>

class AlertController;
class CleaningRun;
class FileController;
class QZStatusCell;
class ShredController;
namespace platform {
struct Notification;
}

// The results table that a scan fills, the buttons that start and cancel its cleaning, and
// the summary of a run. The run itself is a CleaningRun, whose host this is; its steps stay
// reachable here.
class ResultsController : public QObject, public CleaningRunHost
{
    Q_OBJECT
public:
    explicit ResultsController(QObject *parent = nullptr);
    // Lets the row in hand finish and stops the worker.
    ~ResultsController() override;

    // Outlets.
    QTableView *resultsTableView() const { return m_resultsTableView; }
    void setResultsTableView(QTableView *view);
    platform::ArrayController<resultItem> *resultsArrayController() const override { return m_resultsArrayController; }
    // The rows live in the array controller the file service fills; by default our own.
    void setResultsArrayController(platform::ArrayController<resultItem> *controller);
    QZShredderAnimator *shredderAnimator() const { return m_shredderAnimator; }
    void setShredderAnimator(QZShredderAnimator *animator) { m_shredderAnimator = animator; }
    AlertController *alertControl() const override { return m_alertControl; }
    void setAlertControl(AlertController *control) { m_alertControl = control; }
    QPushButton *shredButton() const { return m_shredButton; }
    void setShredButton(QPushButton *button);
    ShredController *shredControl() const override { return m_shredControl; }
    void setShredControl(ShredController *control) { m_shredControl = control; }
    FileController *fileControl() const override { return m_fileControl; }
    void setFileControl(FileController *control) { m_fileControl = control; }
    QLabel *cleanSystemImageView() const { return m_cleanSystemImageView; }
    void setCleanSystemImageView(QLabel *view) { m_cleanSystemImageView = view; }
    QAction *shredMenuItem() const { return m_shredMenuItem; }
    void setShredMenuItem(QAction *item);
    QWidget *shredderSlotView() const { return m_shredderSlotView; }
    void setShredderSlotView(QWidget *view) { m_shredderSlotView = view; }
    // The cleaning results window and its heading image, heading text, summary and share link.
    CleaningResultsWindow *cleaningResultsWindow() const { return m_cleaningResultsWindow; }
    void setCleaningResultsWindow(CleaningResultsWindow *window);
    QLabel *cleaningStatusImage() const { return m_cleaningStatusImage; }
    QLabel *cleaningStatusTextField() const { return m_cleaningStatusTextField; }
    QLabel *cleaningOutput() const { return m_cleaningOutput; }
    QLabel *tweetLink() const { return m_tweetLink; }
    QZStatusCell *statusCell() const { return m_statusCell; }

    // Describes the table's columns and clears the flags.
    void awakeFromNib();

    // What the main window's quit and close questions read.
    bool showingScanResults() const { return m_isShowingScanResults; }
    bool isShredButtonClicked() const { return m_isShredding; }
    bool isDoneCleaning() const { return m_doneShredding; }

    // Actions of the Clean button and menu item; during a run both are Cancel Cleaning.
    void shredAction();
    void cancelAction();

    // The run, step by step (main thread unless said otherwise).
    void start();
    void shred();
    void startShredAnimation();
    // The worker's step for one row (worker thread).
    void updateInterface(const resultItemPtr &row);
    // The worker's running-application check for one row: keys::runningApp.
    void checkRunningAppsForEntry(const QVariantMap &entry);
    // Outcomes of the per-row alert.
    void continueShred();
    void skipShredItem();
    void cancelShred();
    // Answers, announcements and progress of the row in hand (any thread).
    void updateStatus(const platform::Notification &notification);
    void processItemForRemoval(const platform::Notification &notification);
    void updateProgress(const platform::Notification &notification);
    // The queue's count went down to `count`; at 0 the run ends.
    void observeOperationCount(int count) override;
    // Scrolls the row into view, unless the user scrolled the list since the run began.
    void rowWillClean(int index) override;
    // The run's posts go out under the results controller.
    const void *runPostSender() const override { return this; }
    bool validateMenuItem(QAction *item) const;
    // The status cell's state for a row, just before it is drawn.
    void willDisplayStatusCell(QZStatusCell *cell, int row);

    // The pre-clean checks, the results mode and the summary.
    void checkRecentFolders();
    void checkCookies();
    void checkRunningApps();
    void setShowingScanResults(bool showing);
    void displayShredResults();
    void setCFPrefsdNeedsRestart() { m_cfprefsdNeedsRestart = true; }
    void setSharedfilelistdNeedsRestart() { m_sharedfilelistdNeedsRestart = true; }
    void setupTweetLink();
    void restartCFPrefsd();
    void restartSharedfilelistd();

    bool enableShredMenu() const { return m_enableShredMenu; }
    bool skipCookies() const { return m_skipCookies; }
    bool skipRecentFolders() const { return m_skipRecentFolders; }
    bool shouldShowCleanSystemTip() const { return m_shouldShowCleanSystemTip; }
    QString shreddedItemTotalSizeConverted() const { return m_shreddedItemTotalSizeConverted; }
    bool shredCancelled() const;
    QString skippedItemAppName() const;
    // Counters of the run (main thread).
    qint32 shreddedItemCount() const;
    qint32 skippedItemCount() const;
    qint32 problemItemCount() const;
    quint64 shreddedItemTotalSize() const;

signals:
    // The run has ended; its summary is about to be shown (main thread).
    void cleaningDidEnd();

private:
    // The quit questions are tested in every state of a run before the run itself exists.
    friend class tst_MainWindow;
    friend class tst_StatusCell;

    void reloadTable();
    CleaningSummary runSummary() const;
    // One more run (or scan found clean) in the run count.
    void countRun();
    void endRun();
    void updateShredMenuItem();
    void turnIntoCancel();

    QPointer<QTableView> m_resultsTableView;
    QMetaObject::Connection m_scrollWatch;
    bool m_userScrolledDuringRun = false;
    platform::ArrayController<resultItem> *m_resultsArrayController = nullptr;
    QPointer<QZShredderAnimator> m_shredderAnimator;
    AlertController *m_alertControl = nullptr;
    QPointer<QPushButton> m_shredButton;
    std::atomic<bool> m_isShredding{false};
    ShredController *m_shredControl = nullptr;
    std::atomic<bool> m_doneShredding{false};
    QString m_shreddedItemTotalSizeConverted;
    bool m_skipCookies = false;
    bool m_skipRecentFolders = false;
    std::atomic<bool> m_isShowingScanResults{false};
    FileController *m_fileControl = nullptr;
    QPointer<QLabel> m_cleanSystemImageView;
    bool m_shouldShowCleanSystemTip = false;
    QPointer<QAction> m_shredMenuItem;
    bool m_enableShredMenu = false;
    std::atomic<bool> m_cfprefsdNeedsRestart{false};
    std::atomic<bool> m_sharedfilelistdNeedsRestart{false};
    QPointer<QWidget> m_shredderSlotView;
    QPointer<CleaningResultsWindow> m_cleaningResultsWindow;
    QPointer<QLabel> m_cleaningStatusImage;
    QPointer<QLabel> m_cleaningStatusTextField;
    QPointer<QLabel> m_cleaningOutput;
    QPointer<QLabel> m_tweetLink;
    QZStatusCell *m_statusCell = nullptr;
    QMetaObject::Connection m_buttonAction;
    QMetaObject::Connection m_menuAction;

    std::unique_ptr<CleaningRun> m_run;
};
