#pragma once

#include "core/records/resultItem.h"
#include "platform/ArrayController.h"
#include "ui/summary/CleaningResultsWindow.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>

class AlertController;
class FileController;
class ShredController;

// The results table that a scan fills, and the cleaning run of its checked rows.
class ResultsController : public QObject
{
    Q_OBJECT
public:
    explicit ResultsController(QObject *parent = nullptr);
    ~ResultsController() override;

    // Outlets.
    QTableView *resultsTableView() const { return m_resultsTableView; }
    void setResultsTableView(QTableView *view);
    platform::ArrayController<resultItem> *resultsArrayController() const { return m_resultsArrayController; }
    // The rows live in the array controller the file service fills; by default our own.
    void setResultsArrayController(platform::ArrayController<resultItem> *controller);
    QObject *shredderAnimator() const { return m_shredderAnimator; }
    void setShredderAnimator(QObject *animator) { m_shredderAnimator = animator; }
    AlertController *alertControl() const { return m_alertControl; }
    void setAlertControl(AlertController *control) { m_alertControl = control; }
    QPushButton *shredButton() const { return m_shredButton; }
    void setShredButton(QPushButton *button) { m_shredButton = button; }
    ShredController *shredControl() const { return m_shredControl; }
    void setShredControl(ShredController *control) { m_shredControl = control; }
    FileController *fileControl() const { return m_fileControl; }
    void setFileControl(FileController *control) { m_fileControl = control; }
    QLabel *cleanSystemImageView() const { return m_cleanSystemImageView; }
    void setCleanSystemImageView(QLabel *view) { m_cleanSystemImageView = view; }
    QAction *shredMenuItem() const { return m_shredMenuItem; }
    void setShredMenuItem(QAction *item) { m_shredMenuItem = item; }
    QWidget *shredderSlotView() const { return m_shredderSlotView; }
    void setShredderSlotView(QWidget *view) { m_shredderSlotView = view; }
    // The cleaning results window and its heading image, heading text, summary and share link.
    CleaningResultsWindow *cleaningResultsWindow() const { return m_cleaningResultsWindow; }
    void setCleaningResultsWindow(CleaningResultsWindow *window);
    QLabel *cleaningStatusImage() const { return m_cleaningStatusImage; }
    QLabel *cleaningStatusTextField() const { return m_cleaningStatusTextField; }
    QLabel *cleaningOutput() const { return m_cleaningOutput; }
    QLabel *tweetLink() const { return m_tweetLink; }

    // Describes the table's columns and clears the flags.
    void awakeFromNib();

    // What the main window's quit and close questions read.
    bool showingScanResults() const { return m_isShowingScanResults; }
    bool isShredButtonClicked() const { return m_isShredding; }
    bool isDoneCleaning() const { return m_doneShredding; }

    // The pre-clean checks, the results mode and the summary.
    void checkRecentFolders();
    void checkCookies();
    void setShowingScanResults(bool showing);
    void displayShredResults();
    void setupTweetLink();
    // Daemon restarts that modules ask for during a run (any thread); done at the summary.
    void setCFPrefsdNeedsRestart() { m_cfprefsdNeedsRestart = true; }
    void setSharedfilelistdNeedsRestart() { m_sharedfilelistdNeedsRestart = true; }
    void restartCFPrefsd();
    void restartSharedfilelistd();

    bool enableShredMenu() const { return m_enableShredMenu; }
    bool skipCookies() const { return m_skipCookies; }
    bool skipRecentFolders() const { return m_skipRecentFolders; }
    bool shouldShowCleanSystemTip() const { return m_shouldShowCleanSystemTip; }
    QString shreddedItemTotalSizeConverted() const { return m_shreddedItemTotalSizeConverted; }

private:
    // The quit questions are tested in every state of a run before the run itself exists.
    friend class tst_MainWindow;

    QPointer<QTableView> m_resultsTableView;
    platform::ArrayController<resultItem> *m_resultsArrayController = nullptr;
    QPointer<QObject> m_shredderAnimator;
    AlertController *m_alertControl = nullptr;
    QPointer<QPushButton> m_shredButton;
    std::atomic<bool> m_isShredding{false};
    ShredController *m_shredControl = nullptr;
    // The worker waits on these; they are written on the main thread.
    std::atomic<bool> m_itemDone{false};
    std::atomic<bool> m_shredCancelled{false};
    std::atomic<bool> m_doneShredding{false};
    std::atomic<bool> m_skipItem{false};
    QString m_skippedItemAppName;
    std::atomic<bool> m_shredPaused{false};
    qint32 m_shreddedItemCount = 0;
    qint32 m_skippedItemCount = 0;
    qint32 m_problemItemCount = 0;
    quint64 m_shreddedItemTotalSize = 0;
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
};
