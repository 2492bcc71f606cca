#include "ui/results/ResultsController.h"

#include "core/Keys.h"
#include "core/Settings.h"
#include "core/TemporaryFolder.h"
#include "platform/gui/Alert.h"
#include "platform/gui/Modal.h"
#include "platform/gui/VendorServices.h"
#include "platform/gui/WebPages.h"
#include "platform/system/Bundle.h"
#include "platform/system/Image.h"
#include "platform/system/MainThread.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "ui/alerts/AlertController.h"
#include "ui/animation/QZShredderAnimator.h"
#include "ui/results/CleaningRun.h"
#include "ui/results/QZStatusCell.h"
#include "ui/results/ResultsColumns.h"
#include "ui/summary/CleaningResultsWindow.h"
#include "ui/summary/CleaningSummary.h"
#include "ui/summary/CleaningWarning.h"
#include "ui/summary/DaemonRestarts.h"
#include "ui/views/Hyperlink.h"
#include "ui/views/QZBareCell.h"
#include "ui/views/QZTextFieldCell.h"

#include <QIcon>
#include <QScrollBar>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace {

// The product's page on the maker's site ("siteHost"), which the share text points to.
const QString kProductPagePath = u"/nimbrel"_s;

} // namespace

ResultsController::ResultsController(QObject *parent)
    : QObject(parent)
    , m_resultsArrayController(new platform::ArrayController<resultItem>(this))
    , m_run(std::make_unique<CleaningRun>(*this))
{
    auto &center = platform::NotificationCenter::defaultCenter();
    const auto observe = [this, &center](const QString &name, std::function<void(const platform::Notification &)> fn) {
        center.addObserver(this, name, std::move(fn));
    };
    observe(keys::StartShredNotification, [this](const auto &) { start(); });
    observe(keys::ContinueShredNotification, [this](const auto &) { continueShred(); });
    observe(keys::CleaningStatusUpdateNotification, [this](const auto &n) { updateStatus(n); });
    observe(keys::RemovalItemNotification, [this](const auto &n) { processItemForRemoval(n); });
    observe(keys::RemovalProgressNotification, [this](const auto &n) { updateProgress(n); });
    observe(keys::ShredAnimationEndedNotification, [this](const auto &) {
        platform::MainThread::dispatch([guard = QPointer<ResultsController>(this)] {
            if (guard)
                guard->startShredAnimation();
        });
    });
    observe(keys::SkipShredItemNotification, [this](const auto &) { skipShredItem(); });
    observe(keys::CancelShredNotification, [this](const auto &) { cancelShred(); });
    observe(keys::CFPrefsdNeedsRestartNotification, [this](const auto &) { setCFPrefsdNeedsRestart(); });
    observe(keys::SharedfilelistdNeedsRestartNotification, [this](const auto &) { setSharedfilelistdNeedsRestart(); });
}

ResultsController::~ResultsController()
{
    m_run->stop();
    platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void ResultsController::setResultsArrayController(platform::ArrayController<resultItem> *controller)
{
    if (!controller || controller == m_resultsArrayController)
        return;
    if (m_resultsArrayController && m_resultsArrayController->parent() == this)
        delete m_resultsArrayController;
    m_resultsArrayController = controller;
    if (m_resultsTableView)
        m_resultsTableView->setModel(controller);
}

void ResultsController::setResultsTableView(QTableView *view)
{
    m_resultsTableView = view;
    disconnect(m_scrollWatch);
    if (!view)
        return;
    view->setModel(m_resultsArrayController);
    // Only the user's own scrolling (wheel, scroll bar, its keys) triggers an action; ours
    // sets the value.
    m_scrollWatch = connect(view->verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this] {
        if (m_isShredding && !m_doneShredding)
            m_userScrolledDuringRun = true;
    });
}

void ResultsController::setShredButton(QPushButton *button)
{
    m_shredButton = button;
    if (button)
        m_buttonAction = connect(button, &QPushButton::clicked, this, &ResultsController::shredAction);
}

void ResultsController::setShredMenuItem(QAction *item)
{
    m_shredMenuItem = item;
    if (item)
        m_menuAction = connect(item, &QAction::triggered, this, &ResultsController::shredAction);
}

void ResultsController::awakeFromNib()
{
    m_isShredding = false;
    m_doneShredding = false;
    m_skipCookies = false;
    m_skipRecentFolders = false;
    m_run->clearSkipItem();
    m_shouldShowCleanSystemTip = false;
    m_cfprefsdNeedsRestart = false;
    m_sharedfilelistdNeedsRestart = false;

    m_resultsArrayController->setColumns(ResultsColumns::columns());

    if (QTableView *table = m_resultsTableView) {
        ResultsColumns::layOut(table, m_resultsArrayController->columns());
        if (!m_statusCell) {
            m_statusCell = new QZStatusCell(table);
            m_statusCell->willDisplayCell = [this](QZStatusCell *cell, int row) { willDisplayStatusCell(cell, row); };
            table->setItemDelegateForColumn(4, m_statusCell);
            table->setItemDelegateForColumn(0, new QZBareCell(table));
            table->setItemDelegateForColumn(1, new QZBareCell(table));
        }
        // Name and size read best centred in the tall rows, and white on the selection.
        for (const char *identifier : {"nameColumn", "sizeColumn"})
            table->setItemDelegateForColumn(m_resultsArrayController->columnWithIdentifier(QLatin1String(identifier)),
                                            new QZTextFieldCell(table));
    }
}

// --- Actions -------------------------------------------------------------------------------

void ResultsController::shredAction()
{
    m_run->resetSkippedCount();
    m_run->setSkippedItemAppName(QString());
    checkRecentFolders();
    checkCookies();
    setShowingScanResults(false);
    m_isShredding = true;
    m_doneShredding = false;
    checkRunningApps();
}

void ResultsController::cancelAction()
{
    m_run->cancel();
}

bool ResultsController::validateMenuItem(QAction *item) const
{
    if (item && item == m_shredMenuItem)
        return m_enableShredMenu;
    return true;
}

void ResultsController::updateShredMenuItem()
{
    if (m_shredMenuItem)
        m_shredMenuItem->setEnabled(validateMenuItem(m_shredMenuItem));
}

void ResultsController::turnIntoCancel()
{
    if (m_shredMenuItem) {
        disconnect(m_menuAction);
        m_shredMenuItem->setText(u"Cancel Cleaning"_s);
        m_menuAction = connect(m_shredMenuItem, &QAction::triggered, this, &ResultsController::cancelAction);
    }
    if (m_shredButton) {
        disconnect(m_buttonAction);
        const QString image = platform::Bundle::mainBundle().pathForResource(u"cancel"_s, u"png"_s);
        m_shredButton->setIcon(QIcon(image));
        m_shredButton->setText(u"Cancel"_s);
        m_shredButton->setToolTip(u"Cancel Cleaning"_s);
        m_buttonAction = connect(m_shredButton, &QPushButton::clicked, this, &ResultsController::cancelAction);
    }
}

// --- The run ---------------------------------------------------------------------------------

void ResultsController::start()
{
    m_userScrolledDuringRun = false;
    m_run->markRows();
    if (QTableView *table = m_resultsTableView) {
        for (const char *column : {"statusColumn", "statusTextColumn"}) {
            const int at = m_resultsArrayController->columnWithIdentifier(QLatin1String(column));
            if (at >= 0)
                table->setColumnHidden(at, false);
        }
    }
    reloadTable();
    shred();
}

void ResultsController::shred()
{
    m_run->prepare();
    turnIntoCancel();
    platform::NotificationCenter::defaultCenter().post(keys::CancelShredTipText, this);
    if (Settings::boolValue(Settings::Key::EnableAnimations))
        startShredAnimation();
    m_run->start();
}

void ResultsController::startShredAnimation()
{
    if (m_doneShredding || !m_isShredding || m_run->isCancelled() || !m_shredderAnimator)
        return;
    platform::Timer::scheduledTimer(1.0, this, [this] {
        if (m_shredderAnimator)
            m_shredderAnimator->startPaperAnimation();
    });
}

void ResultsController::reloadTable()
{
    m_resultsArrayController->reload();
}

void ResultsController::rowWillClean(int index)
{
    QTableView *table = m_resultsTableView;
    if (!table || m_userScrolledDuringRun || index < 0)
        return;
    table->scrollTo(m_resultsArrayController->index(index, 0), QAbstractItemView::EnsureVisible);
}

void ResultsController::observeOperationCount(int count)
{
    if (count != 0 || m_doneShredding || m_run->isStopping())
        return;
    endRun();
}

void ResultsController::endRun()
{
    m_doneShredding = true;
    m_enableShredMenu = false;
    updateShredMenuItem();
    if (m_shredderAnimator) {
        m_shredderAnimator->setAnimationDone();
        m_shredderAnimator->_stop();
    }
    Settings::setInteger(Settings::Key::LastScanCount, m_resultsArrayController->count());
    countRun();
    TemporaryFolder::removeEmptyFolders(); // every copy is destroyed by now
    emit cleaningDidEnd();
    displayShredResults();
}

void ResultsController::willDisplayStatusCell(QZStatusCell *cell, int index)
{
    const resultItemPtr row = m_resultsArrayController->objectAt(index);
    if (!m_isShredding || !cell || !row)
        return;
    if (!row->isTicked()) {
        cell->setCurrentStatus(QZStatusCell::Blue);
        return;
    }
    const std::optional<RowState> state = row->resultItemState();
    if (!state)
        return;
    switch (*state) {
    case RowState::Cleaned:
    case RowState::NotCleaned: {
        cell->setCurrentStatus(state == RowState::Cleaned ? QZStatusCell::Green : QZStatusCell::Red);
        // The row's own spinner: the cell may hold another row's by now (the row was out of
        // view when a later one started), and that one must keep turning.
        const QZStatusObjectPtr status = row->resultStatus();
        cell->setProgress(status ? status->progressSpinner() : nullptr);
        cell->stopSpinning();
        break;
    }
    case RowState::Cleaning:
    case RowState::Cancelling: {
        cell->setCurrentStatus(QZStatusCell::Spinner);
        const QZStatusObjectPtr status = row->resultStatus();
        cell->setProgress(status ? status->progressSpinner() : nullptr);
        cell->addProgressToView(m_resultsTableView ? m_resultsTableView->viewport() : nullptr);
        cell->startSpinning();
        break;
    }
    case RowState::Waiting:
        cell->setCurrentStatus(QZStatusCell::Yellow);
        break;
    case RowState::Skipped:
        cell->setCurrentStatus(QZStatusCell::Blue);
        break;
    }
}

// --- Pre-clean checks, results mode and summary ------------------------------------------------

void ResultsController::setCleaningResultsWindow(CleaningResultsWindow *window)
{
    m_cleaningResultsWindow = window;
    m_cleaningStatusImage = window ? window->cleaningStatusImage() : nullptr;
    m_cleaningStatusTextField = window ? window->cleaningStatusTextField() : nullptr;
    m_cleaningOutput = window ? window->cleaningOutput() : nullptr;
    m_tweetLink = window ? window->tweetLink() : nullptr;
}

void ResultsController::checkRecentFolders()
{
    CleaningWarning::recentFolders().run(*m_resultsArrayController, m_skipRecentFolders,
                                         m_resultsTableView ? m_resultsTableView->window() : nullptr);
}

void ResultsController::checkCookies()
{
    CleaningWarning::cookies().run(*m_resultsArrayController, m_skipCookies,
                                   m_resultsTableView ? m_resultsTableView->window() : nullptr);
}

void ResultsController::checkRunningApps()
{
    if (m_alertControl)
        m_alertControl->beginRequests();
    if (!m_run->checkRunningApps()) {
        platform::Alert alert;
        alert.setMessageText(u"No Items Selected"_s);
        alert.addButtonWithTitle(u"OK"_s);
        alert.setInformativeText(u"Please make sure at least one item is selected for cleaning."_s);
        alert.runModal();
        m_isShredding = false;
        return;
    }
    if (m_alertControl && m_alertControl->shouldDisplayAlertWindow())
        m_alertControl->showAlertWindow();
    else
        start();
}

void ResultsController::setShowingScanResults(bool showing)
{
    m_isShowingScanResults = showing;
    if (m_resultsArrayController->count() == 0) {
        countRun();
        // The tip is for a system found clean last time too (or never scanned before); a clean
        // result after findings only resets the count.
        const qint64 lastScanCount = Settings::integer(Settings::Key::LastScanCount);
        if (lastScanCount <= 0) {
            if (lastScanCount < 0)
                Settings::setInteger(Settings::Key::LastScanCount, 0);
            m_shouldShowCleanSystemTip = true;
        } else {
            Settings::setInteger(Settings::Key::LastScanCount, 0);
        }
        m_isShowingScanResults = false;
        m_doneShredding = true;
        if (QLabel *view = m_cleanSystemImageView) {
            if (const platform::ImagePtr icon = platform::imageNamed(u"NSApplicationIcon"_s))
                view->setPixmap(QPixmap::fromImage(*icon));
            view->setHidden(false);
        }
        displayShredResults();
    }
    m_enableShredMenu = true;
    updateShredMenuItem();
    if (m_shredButton)
        m_shredButton->setEnabled(true);
}

void ResultsController::restartCFPrefsd()
{
    DaemonRestarts::restart(u"cfprefsd"_s);
}

void ResultsController::restartSharedfilelistd()
{
    DaemonRestarts::restart(u"sharedfilelistd"_s);
}

void ResultsController::displayShredResults()
{
    using platform::MainThread;
    if (m_cfprefsdNeedsRestart && DaemonRestarts::cfprefsdAppliesHere())
        MainThread::performAndWait([this] { restartCFPrefsd(); });
    if (m_sharedfilelistdNeedsRestart && DaemonRestarts::sharedfilelistdAppliesHere())
        MainThread::performAndWait([this] { restartSharedfilelistd(); });

    // The end of a run may be observed on the worker; the window's labels are the main thread's.
    MainThread::performAndWait([this] {
        const CleaningSummary summary = runSummary();
        if (QLabel *link = m_tweetLink) {
            link->setHidden(true);
            link->setTextInteractionFlags(Qt::NoTextInteraction);
        }
        if (const auto heading = summary.heading()) {
            if (QLabel *image = m_cleaningStatusImage) {
                const platform::ImagePtr picture = platform::imageNamed(heading->image);
                image->setPixmap(picture ? QPixmap::fromImage(*picture) : QPixmap());
            }
            if (QLabel *text = m_cleaningStatusTextField)
                text->setText(heading->text);
        }
        m_shreddedItemTotalSizeConverted = summary.convertedSizeText();
        if (summary.offersShareLink()) {
            setupTweetLink();
            if (QLabel *link = m_tweetLink) {
                link->setHidden(false);
                link->setTextInteractionFlags(Qt::TextBrowserInteraction);
            }
        }
        if (QLabel *output = m_cleaningOutput)
            output->setText(summary.text());

        auto &center = platform::NotificationCenter::defaultCenter();
        if (m_shouldShowCleanSystemTip)
            center.post(keys::CleanSystemTip, this);
        center.post(keys::CleaningStatusTips, this);
    });

    MainThread::dispatch([this, guard = QPointer<ResultsController>(this)] {
        if (!guard)
            return;
        if (QWidget *window = m_cleaningResultsWindow) {
            QPointer<QWidget> shown(window);
            platform::Modal::runModalForWindow(window);
            // The application may have been torn down inside the modal run.
            if (!guard || !shown)
                return;
            platform::Modal::endSheet(window);
            window->hide();
        }
        auto &center = platform::NotificationCenter::defaultCenter();
        center.post(keys::CleaningStatusTipsEnd, this);
        center.post(keys::CleanSystemTipEnd, this);
    });
}

void ResultsController::setupTweetLink()
{
    const CleaningSummary summary = runSummary();
    const QString productPage = platform::WebPages::siteAddress() + kProductPagePath;
    const QUrl url =
        summary.shareUrl(platform::VendorServices::hostAddress(Settings::name(Settings::Key::SocialHost)), productPage);
    if (QLabel *link = m_tweetLink) {
        link->setAlignment(Qt::AlignCenter);
        link->setText(hyperlinkFromTextString(u"Tweet Scan Results"_s, url));
    }
}

CleaningSummary ResultsController::runSummary() const
{
    return CleaningSummary(shreddedItemCount(), skippedItemCount(), problemItemCount(), shreddedItemTotalSize());
}

void ResultsController::countRun()
{
    Settings::setInteger(Settings::Key::RunCount, Settings::integer(Settings::Key::RunCount) + 1);
}

// --- The run's face --------------------------------------------------------------------------

void ResultsController::updateInterface(const resultItemPtr &row)
{
    m_run->updateInterface(row);
}
void ResultsController::checkRunningAppsForEntry(const QVariantMap &entry)
{
    m_run->checkRunningAppsForEntry(entry);
}
void ResultsController::continueShred()
{
    m_run->continueShred();
}
void ResultsController::skipShredItem()
{
    m_run->skipShredItem();
}

void ResultsController::cancelShred()
{
    m_isShredding = false;
}
void ResultsController::updateStatus(const platform::Notification &n)
{
    m_run->updateStatus(n);
}
void ResultsController::processItemForRemoval(const platform::Notification &n)
{
    m_run->processItemForRemoval(n);
}
void ResultsController::updateProgress(const platform::Notification &n)
{
    m_run->updateProgress(n);
}
bool ResultsController::shredCancelled() const
{
    return m_run->isCancelled();
}
QString ResultsController::skippedItemAppName() const
{
    return m_run->skippedItemAppName();
}
qint32 ResultsController::shreddedItemCount() const
{
    return m_run->shreddedItemCount();
}
qint32 ResultsController::skippedItemCount() const
{
    return m_run->skippedItemCount();
}
qint32 ResultsController::problemItemCount() const
{
    return m_run->problemItemCount();
}
quint64 ResultsController::shreddedItemTotalSize() const
{
    return m_run->shreddedItemTotalSize();
}
