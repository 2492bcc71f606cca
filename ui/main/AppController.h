#pragma once

#include "core/records/locationItem.h"
#include "platform/system/ArrayController.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class AlertController;
class AlertTextPrompt;
class FileController;
class MainWindow;
class PromoPanel;
class RatingPrompt;
class ResultsController;
class ShredController;
class TempCleaningPanel;
class TempCleaningPrompt;
namespace platform {
class Alert;
}

// The controller of the main window: shows it, runs the Scan action with its checks, switches
// to the results view, hides and re-shows the tips around resizes and zooms, and asks before
// quitting while results wait or a cleaning runs. The tips' part lives in AppControllerTips.cpp.
class AppController : public QObject
{
    Q_OBJECT
public:
    explicit AppController(QObject *parent = nullptr);
    ~AppController() override;

    // Outlets. setMainWindow takes the window's views, the Scan menu item, the label hidden
    // as betaBranding and the acknowledgements window from its form.
    MainWindow *mainWindow() const { return m_mainWindow; }
    void setMainWindow(MainWindow *window);
    QWidget *mainView() const { return m_mainView; }
    QWidget *resultsView() const { return m_resultsView; }
    platform::ArrayController<locationItem> *locationArrayController() const { return m_locationArrayController; }
    void setLocationArrayController(platform::ArrayController<locationItem> *controller);
    AlertController *alertControl() const { return m_alertControl; }
    void setAlertControl(AlertController *control) { m_alertControl = control; }
    ResultsController *resultsControl() const { return m_resultsControl; }
    void setResultsControl(ResultsController *control);
    QAction *scanMenuItem() const { return m_scanMenuItem; }
    QLabel *betaBranding() const { return m_betaBranding; }
    QDialog *acknowledgementsWindow() const { return m_acknowledgementsWindow; }
    // Outlets of the launch prompts.
    void setFileControl(FileController *control);
    void setShredControl(ShredController *control);
    void setTempCleaningPanel(TempCleaningPanel *panel);
    void setQzPanel(PromoPanel *panel);

    bool windowShouldZoom();
    void displayMainWindow();
    void scan();
    void startScan();
    void startResizeCheck();
    void endResizeCheck();
    void sendStartResize();
    void sendEndResize();
    void sendEndZoomResize();
    void tipsOn();
    void tipsOff();

    bool shouldAppQuit();
    bool isTerminateNow() const { return m_terminateNow; }
    void setTerminateNow(bool terminateNow) { m_terminateNow = terminateNow; }
    bool windowShouldClose();
    void windowWillClose();
    bool validateMenuItem(QAction *item) const;
    void showAcknowledgements();

    QStringList getSyncEnabledBrowsers() const;
    void showBrowserSyncInstructions();

    // The launch prompts, run once after the start-up tips: each step either prompts (and
    // the chain ends) or hands over to the next.
    void checkTempDir();
    void checkAppRatingStatus();
    void checkBrindlecoveInfoStatus();
    TempCleaningPrompt *tempCleaningPrompt() const { return m_tempCleaningPrompt.get(); }
    RatingPrompt *ratingPrompt() const { return m_ratingPrompt.get(); }
    AlertTextPrompt *alertTextPrompt() const { return m_alertTextPrompt.get(); }

    // Help menu pages.
    void showGuide();
    void showHelp();
    void showPodcast();

    // State read by tests and the tips.
    bool setupComplete() const { return m_setupComplete; }
    bool enableScanMenu() const { return m_enableScanMenu; }
    bool isZoomed() const { return m_isZoomed; }
    bool zoomInProgress() const { return m_zoomInProgress; }

    // How closing the main window ends the application; by default QCoreApplication::quit(),
    // which asks the application delegate (and so shouldAppQuit) first.
    void setTerminator(std::function<void()> terminate) { m_terminate = std::move(terminate); }

private:
    void tipTimerFire();
    void tipUnZoomTimerFire();
    void tipZoomTimerFire();
    void resultsTipTimerFire();

    void post(const QString &name);
    bool isMainWindowKey() const;
    bool showsMainView() const;
    bool showsResultsView() const;
    void updateMenuItems();
    // Answers YES to go on quitting; NO when the user cancelled. `asked` says whether a
    // question was put at all.
    bool askQuitQuestion(bool &asked);
    // The run the quit question speaks of has ended: the question no longer holds.
    void withdrawRunningQuitQuestion();
    // Opens a page of the maker's site; without a browser, says so and gives its address.
    void openPage(const QString &path);
    void showNoAppsSelectedAlert();

    QPointer<MainWindow> m_mainWindow;
    QPointer<QWidget> m_mainView;
    QPointer<QWidget> m_resultsView;
    platform::ArrayController<locationItem> *m_locationArrayController = nullptr;
    AlertController *m_alertControl = nullptr;
    bool m_setupComplete = false;
    bool m_switchingView = false;
    bool m_prefsTipToggle = false;
    bool m_isZoomed = false;
    bool m_zoomInProgress = false;
    // A live resize took the tips down; its end puts them back.
    bool m_liveResizeHidTips = false;
    ResultsController *m_resultsControl = nullptr;
    bool m_terminateNow = false;
    // Quitting was agreed to: the windows then close without a second question.
    bool m_quitApproved = false;
    // The quit question that speaks of a running clean, while it is up.
    platform::Alert *m_runningQuitQuestion = nullptr;
    QPointer<QAction> m_scanMenuItem;
    bool m_enableScanMenu = false;
    QPointer<QLabel> m_betaBranding;
    QPointer<QDialog> m_acknowledgementsWindow;
    std::function<void()> m_terminate;
    std::unique_ptr<TempCleaningPrompt> m_tempCleaningPrompt;
    std::unique_ptr<RatingPrompt> m_ratingPrompt;
    std::unique_ptr<AlertTextPrompt> m_alertTextPrompt;
};
