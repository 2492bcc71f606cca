#include "ui/main/AppController.h"

#include "core/Keys.h"
#include "platform/gui/Alert.h"
#include "platform/gui/WebPages.h"
#include "platform/gui/WindowPlacement.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "ui/alerts/AlertController.h"
#include "ui/launch/AlertTextPrompt.h"
#include "ui/launch/RatingPrompt.h"
#include "ui/launch/TempCleaningPrompt.h"
#include "ui/main/BrowserSync.h"
#include "ui/main/MainWindow.h"
#include "ui/results/QZRichTextCell.h"
#include "ui/results/ResultsController.h"
#include "ui/views/QZBareCell.h"

#include "ui_MainWindow.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {
const QString kQuitTitle = u"Are you sure you want to quit?"_s;
const QString kRunningText =
    u"Privacy threat cleaning is in progress. Once cleaning is complete, you will be notified of the results."_s;
const QString kWaitingText =
    u"There are privacy threats currently available for cleaning. You can start cleaning by clicking the Clean button"_s;
} // namespace

AppController::AppController(QObject *parent)
    : QObject(parent)
    , m_tempCleaningPrompt(std::make_unique<TempCleaningPrompt>(this))
    , m_ratingPrompt(std::make_unique<RatingPrompt>())
    , m_alertTextPrompt(std::make_unique<AlertTextPrompt>())
{
    auto &center = platform::NotificationCenter::defaultCenter();
    auto observe = [&](const QString &name, void (AppController::*handler)()) {
        center.addObserver(this, name, [this, handler](const platform::Notification &) { (this->*handler)(); });
    };
    observe(keys::WindowWillStartLiveResizeNotification, &AppController::startResizeCheck);
    observe(keys::WindowDidEndLiveResizeNotification, &AppController::endResizeCheck);
    observe(keys::ToggleTipsOn, &AppController::tipsOn);
    observe(keys::ToggleTipsOff, &AppController::tipsOff);
    observe(keys::StartScanNotification, &AppController::startScan);
    // "TempCleaningSuccessNotification" and "TempCleaningFailureNotification" are observed
    // by the temporary-files prompt, whose panel they update.
    observe(keys::DisplayMainWindow, &AppController::displayMainWindow);
}

AppController::~AppController()
{
    // The window may outlive us (the main interface frees it later): its delegate calls must
    // not reach a freed controller.
    if (m_mainWindow) {
        m_mainWindow->windowShouldClose = nullptr;
        m_mainWindow->windowWillClose = nullptr;
        m_mainWindow->windowShouldZoom = nullptr;
    }
}

void AppController::setMainWindow(MainWindow *window)
{
    m_mainWindow = window;
    if (!window)
        return;
    Ui::MainWindow &form = window->form();
    m_mainView = window->mainView();
    m_resultsView = window->resultsView();
    m_scanMenuItem = form.actionScan;
    m_betaBranding = form.betaBranding;
    m_acknowledgementsWindow = window->acknowledgementsWindow();

    window->windowShouldClose = [this] { return windowShouldClose(); };
    window->windowWillClose = [this] { windowWillClose(); };
    window->windowShouldZoom = [this] { return windowShouldZoom(); };

    connect(form.scanButton, &QPushButton::clicked, this, &AppController::scan);
    connect(form.actionScan, &QAction::triggered, this, &AppController::scan);
    connect(form.actionAcknowledgements, &QAction::triggered, this, &AppController::showAcknowledgements);
    connect(form.actionGuide, &QAction::triggered, this, &AppController::showGuide);
    connect(form.actionHelp, &QAction::triggered, this, &AppController::showHelp);
    connect(form.actionPodcast, &QAction::triggered, this, &AppController::showPodcast);
    for (QAction *page : {form.actionGuide, form.actionHelp, form.actionPodcast})
        page->setEnabled(true);
    m_tempCleaningPrompt->setMainWindow(window);
    m_ratingPrompt->setMainWindow(window);
    connect(form.actionQuit, &QAction::triggered, this, [this] {
        if (m_terminate)
            m_terminate();
        else
            QCoreApplication::quit();
    });
    for (QMenu *menu : {form.menuNimbrel, form.menuFile, form.menuWindow, form.menuHelp})
        connect(menu, &QMenu::aboutToShow, this, &AppController::updateMenuItems);

    QTableView *table = form.locationTableView;
    table->setItemDelegateForColumn(0, new QZBareCell(table));
    table->setItemDelegateForColumn(1, new QZBareCell(table));
    table->setItemDelegateForColumn(2, new QZRichTextCell(table));
    if (m_locationArrayController)
        setLocationArrayController(m_locationArrayController);
    updateMenuItems();
}

void AppController::setResultsControl(ResultsController *control)
{
    if (m_resultsControl)
        disconnect(m_resultsControl, nullptr, this, nullptr);
    m_resultsControl = control;
    if (control)
        connect(control, &ResultsController::cleaningDidEnd, this, &AppController::withdrawRunningQuitQuestion);
}

void AppController::setLocationArrayController(platform::ArrayController<locationItem> *controller)
{
    m_locationArrayController = controller;
    if (!controller)
        return;
    using Column = platform::ArrayController<locationItem>::Column;
    Column check;
    check.identifier = u"locIsChecked"_s;
    check.isChecked = [](const locationItem &row) { return row.isTicked(); };
    check.setChecked = [](locationItem &row, bool checked) { row.setLocIsChecked(checked); };
    Column icon;
    icon.identifier = u"locImage"_s;
    icon.data = [](const locationItem &row, int role) -> QVariant {
        const platform::ImagePtr image = row.locImage();
        if (role == Qt::DecorationRole && image && !image->isNull())
            return QIcon(QPixmap::fromImage(*image));
        return {};
    };
    Column label;
    label.identifier = u"locInfo"_s;
    label.data = [](const locationItem &row, int role) -> QVariant {
        if (role == Qt::DisplayRole)
            return row.locInfo();
        if (role == Qt::ToolTipRole)
            return row.locName();
        return {};
    };
    controller->setColumns({check, icon, label});
    if (m_mainWindow) {
        QTableView *table = m_mainWindow->form().locationTableView;
        table->setModel(controller);
        table->horizontalHeader()->resizeSection(0, 26);
        table->horizontalHeader()->resizeSection(1, 40);
    }
}

void AppController::post(const QString &name)
{
    platform::NotificationCenter::defaultCenter().post(name, this);
}

void AppController::displayMainWindow()
{
    if (!m_mainWindow)
        return;
    m_mainWindow->setContentBorderThickness(34.0);
    m_mainWindow->setContentView(m_mainView);
    if (m_betaBranding)
        m_betaBranding->hide();

    platform::centerOnScreen(m_mainWindow);
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();

    m_mainWindow->setContentMinSize(QSize(255, 412));
    platform::Timer::scheduledTimer(0.15, this, [this] { tipTimerFire(); });
}

void AppController::tipTimerFire()
{
    post(keys::MainTips);
    m_setupComplete = true;
    m_enableScanMenu = true;
    updateMenuItems();
    checkTempDir();
}

void AppController::showNoAppsSelectedAlert()
{
    platform::Alert alert;
    alert.setMessageText(u"No Apps Selected"_s);
    alert.addButtonWithTitle(u"OK"_s);
    alert.setInformativeText(u"Please make sure at least one app is selected to scan for privacy threats."_s);
    alert.runModal(m_mainWindow);
}

void AppController::scan()
{
    const QList<locationItemPtr> rows =
        m_locationArrayController ? m_locationArrayController->arrangedObjects() : QList<locationItemPtr>();
    if (rows.isEmpty()) {
        showNoAppsSelectedAlert();
        return;
    }

    // Applications listed for a request that was given up (the sync question answered "Yes")
    // are no part of this one.
    if (m_alertControl)
        m_alertControl->beginRequests();
    bool rowChecked = false;
    QStringList checkedBrowsers;
    for (const auto &row : rows) {
        if (!row->isTicked())
            continue;
        rowChecked = true;
        if (BrowserSync::browserIdentifiers().contains(row->locIdentifier()))
            checkedBrowsers.append(row->locIdentifier());
        platform::NotificationCenter::defaultCenter().post(
            keys::AddAlertItem, this,
            keys::alertItem(row->locIdentifier(), row->locName(), keys::AlertParent::AppControl));
    }
    if (!rowChecked) {
        showNoAppsSelectedAlert();
        return;
    }

    const QStringList synced = getSyncEnabledBrowsers();
    if (!checkedBrowsers.isEmpty() && !synced.isEmpty()) {
        QStringList names;
        for (const QString &identifier : BrowserSync::browserIdentifiers())
            if (synced.contains(identifier) && checkedBrowsers.contains(identifier))
                names.append(BrowserSync::browserName(identifier));
        if (!names.isEmpty()) {
            QString message = u"Browser sync is enabled for the following browser%1:\n\n"_s.arg(
                names.size() == 1 ? QString() : u"s"_s);
            for (const QString &name : names)
                message += name + QLatin1Char('\n');
            message += u"\nWould you like to view instructions on disabling browser sync?"_s;
            const int answer = platform::Alert::runAlertPanel(
                u"When browser sync is enabled, your browsing data will continue to appear even after "
                "cleaning with Nimbrel."_s,
                message, u"Yes"_s, u"No"_s);
            if (answer == platform::Alert::AlertDefaultReturn) {
                showBrowserSyncInstructions();
                return;
            }
        }
    }

    if (m_alertControl && m_alertControl->shouldDisplayAlertWindow())
        m_alertControl->showAlertWindow();
    else
        startScan();
}

void AppController::startScan()
{
    post(keys::ScanLocations);
    m_switchingView = true;
    m_enableScanMenu = false;
    updateMenuItems();
    if (!m_mainWindow || !m_resultsView) {
        m_switchingView = false;
        return;
    }
    if (m_mainWindow->hasChildWindows() && m_setupComplete)
        post(keys::MainTipsEnd);

    // The top edge stays where it is, the window grows by the difference between the views,
    // and its left edge moves a fixed 172 points to the left; but never past the screen's free
    // area, where the Clean button would be cut off (the list scrolls instead).
    const QWidget *current = m_mainWindow->contentView();
    const QSize currentSize = current ? current->size() : QSize();
    const int dw = m_resultsView->width() - currentSize.width();
    const int dh = m_resultsView->height() - currentSize.height();
    const QRect frame = m_mainWindow->geometry();
    const QRect target(frame.x() - 172, frame.y(), frame.width() + dw, frame.height() + dh);

    m_mainWindow->setContentView(m_resultsView);
    m_mainWindow->setContentMinSize(QSize(600, 400));
    platform::setGeometryOnScreen(m_mainWindow, target);
    if (m_resultsControl)
        m_resultsControl->setShowingScanResults(true);

    m_switchingView = false;
    platform::Timer::scheduledTimer(0.15, this, [this] { resultsTipTimerFire(); });
}

bool AppController::askQuitQuestion(bool &asked)
{
    asked = false;
    QString text;
    if (m_resultsControl && m_resultsControl->isShredButtonClicked() && !m_resultsControl->isDoneCleaning())
        text = kRunningText;
    else if (m_resultsControl && m_resultsControl->showingScanResults())
        text = kWaitingText;
    else
        return true;
    asked = true;
    platform::Alert question;
    question.setPanel(kQuitTitle, text, u"Cancel"_s, u"Quit"_s);
    platform::Alert *outer = m_runningQuitQuestion;
    if (text == kRunningText)
        m_runningQuitQuestion = &question;
    // Withdrawn, the question is as good as cancelled: the user sees the summary first.
    const bool quit = question.runPanel() == platform::Alert::AlertAlternateReturn;
    m_runningQuitQuestion = outer;
    return quit;
}

void AppController::withdrawRunningQuitQuestion()
{
    if (m_runningQuitQuestion)
        m_runningQuitQuestion->withdraw();
}

bool AppController::shouldAppQuit()
{
    if (m_terminateNow)
        return m_quitApproved = true;
    bool asked = false;
    m_quitApproved = askQuitQuestion(asked);
    return m_quitApproved;
}

bool AppController::windowShouldClose()
{
    // Qt closes every window once the application quits: the answer was given already.
    if (m_quitApproved)
        return true;
    bool asked = false;
    const bool quit = askQuitQuestion(asked);
    if (asked)
        m_terminateNow = quit;
    return quit;
}

void AppController::windowWillClose()
{
    if (m_quitApproved)
        return;
    if (m_terminate)
        m_terminate();
    else
        QCoreApplication::quit();
}

bool AppController::validateMenuItem(QAction *item) const
{
    if (item && item == m_scanMenuItem)
        return m_enableScanMenu;
    return true;
}

void AppController::updateMenuItems()
{
    if (!m_mainWindow)
        return;
    for (QAction *item : {m_mainWindow->form().actionScan, m_mainWindow->form().actionAcknowledgements})
        item->setEnabled(validateMenuItem(item));
}

void AppController::showAcknowledgements()
{
    if (!m_acknowledgementsWindow)
        return;
    platform::centerOnScreen(m_acknowledgementsWindow);
    m_acknowledgementsWindow->show();
    m_acknowledgementsWindow->raise();
    m_acknowledgementsWindow->activateWindow();
}

QStringList AppController::getSyncEnabledBrowsers() const
{
    return BrowserSync::syncEnabledBrowsers();
}

void AppController::showBrowserSyncInstructions()
{
    openPage(u"/guide_nb#nb_browsersync"_s);
}

void AppController::openPage(const QString &path)
{
    platform::WebPages::open(platform::WebPages::site(path), m_mainWindow);
}

void AppController::setFileControl(FileController *control)
{
    m_tempCleaningPrompt->setFileControl(control);
}

void AppController::setShredControl(ShredController *control)
{
    m_tempCleaningPrompt->setShredControl(control);
}

void AppController::setTempCleaningPanel(TempCleaningPanel *panel)
{
    m_tempCleaningPrompt->setTempCleaningPanel(panel);
}

void AppController::setQzPanel(PromoPanel *panel)
{
    m_alertTextPrompt->setQzPanel(panel);
}

void AppController::checkTempDir()
{
    if (m_tempCleaningPrompt->checkTempDir() == LaunchChain::Next)
        checkAppRatingStatus();
}

void AppController::checkAppRatingStatus()
{
    if (m_ratingPrompt->checkAppRatingStatus() == LaunchChain::Next)
        checkBrindlecoveInfoStatus();
}

void AppController::checkBrindlecoveInfoStatus()
{
    m_alertTextPrompt->checkBrindlecoveInfoStatus();
}

void AppController::showGuide()
{
    openPage(u"/guide_nb"_s);
}

void AppController::showHelp()
{
    openPage(u"/support"_s);
}

void AppController::showPodcast()
{
    openPage(u"/podcast"_s);
}
