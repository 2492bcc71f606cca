#include "ui/results/ResultsController.h"

#include "core/FileController.h"
#include "core/ShredController.h"
#include "core/TemporaryFolder.h"
#include "platform/Alert.h"
#include "platform/Bundle.h"
#include "platform/Dictionary.h"
#include "platform/FileManager.h"
#include "platform/Image.h"
#include "platform/MainThread.h"
#include "platform/Modal.h"
#include "platform/NotificationCenter.h"
#include "platform/OperationQueue.h"
#include "platform/Timer.h"
#include "platform/UserDefaults.h"
#include "platform/VendorServices.h"
#include "platform/WebPages.h"
#include "ui/main/AlertController.h"
#include "ui/results/QZStatusCell.h"
#include "ui/results/ResultsColumns.h"
#include "ui/animation/QZShredderAnimator.h"
#include "ui/summary/CleaningResultsWindow.h"
#include "ui/summary/CleaningSummary.h"
#include "ui/summary/CleaningWarning.h"
#include "ui/summary/DaemonRestarts.h"
#include "ui/views/Hyperlink.h"
#include "ui/views/QZBareCell.h"
#include "ui/views/QZTextFieldCell.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QIcon>
#include <QSet>
#include <QTableView>

namespace {

const QString kWaiting = QStringLiteral("- Waiting");
const QString kSkipped = QStringLiteral("- Skipped");
const QString kCleaning = QStringLiteral("- Cleaning");
const QString kCleaned = QStringLiteral("- Cleaned");
const QString kNotCleaned = QStringLiteral("- Could not clean");
const QString kCancelling = QStringLiteral("- Cancelling");

const QString kAppNameKey = QStringLiteral("cleaningItemAppName");
const QString kNameKey = QStringLiteral("cleaningItemName");
const QString kPathKey = QStringLiteral("cleaningItemPath");
const QString kFlashCookies = QStringLiteral("FlashCookies");
// The product's page on the maker's site ("siteHost"), which the share text points to.
const QString kProductPagePath = QStringLiteral("/nimbrel");

// Asks the alert to list the application of {"appIdentifier", "appName"} if it runs.
void postAlertRequest(const void *sender, const QVariantMap &entry, const QString &parent)
{
    platform::NotificationCenter::defaultCenter().post(
        QStringLiteral("AddAlertItem"), sender,
        platform::dictionaryWithPairs({{QStringLiteral("alertItemIdentifier"), entry.value(QStringLiteral("appIdentifier"))},
                                       {QStringLiteral("alertItemName"), entry.value(QStringLiteral("appName"))},
                                       {QStringLiteral("alertItemParent"), parent}}));
}

void onMain(const std::function<void()> &fn)
{
    platform::MainThread::performAndWait(fn);
}

} // namespace

ResultsController::ResultsController(QObject *parent)
    : QObject(parent), m_resultsArrayController(new platform::ArrayController<resultItem>(this))
{
    auto &center = platform::NotificationCenter::defaultCenter();
    const auto observe = [this, &center](const char *name, std::function<void(const platform::Notification &)> fn) {
        center.addObserver(this, QLatin1String(name), std::move(fn));
    };
    observe("StartShredNotification", [this](const auto &) { start(); });
    observe("ContinueShredNotification", [this](const auto &) { continueShred(); });
    observe("CleaningStatusUpdateNotification", [this](const auto &n) { updateStatus(n); });
    observe("RemovalItemNotification", [this](const auto &n) { processItemForRemoval(n); });
    observe("RemovalProgressNotification", [this](const auto &n) { updateProgress(n); });
    observe("ShredAnimationEndedNotification", [this](const auto &) {
        platform::MainThread::dispatch([guard = QPointer<ResultsController>(this)] {
            if (guard)
                guard->startShredAnimation();
        });
    });
    observe("SkipShredItemNotification", [this](const auto &) { skipShredItem(); });
    observe("CancelShredNotification", [this](const auto &) { cancelShred(); });
    observe("CFPrefsdNeedsRestartNotification", [this](const auto &) { setCFPrefsdNeedsRestart(); });
    observe("SharedfilelistdNeedsRestartNotification", [this](const auto &) { setSharedfilelistdNeedsRestart(); });
}

ResultsController::~ResultsController()
{
    {
        std::lock_guard lock(m_waitMutex);
        m_stopping = true;
    }
    m_waitChanged.notify_all();
    // The row in hand may still be handing work to this thread: keep serving it until the
    // worker has let go (its end posts an event, so this never waits on nothing).
    if (m_operationQueue) {
        m_operationQueue->cancelAllOperations();
        while (QCoreApplication::instance() && m_operationQueue->operationCount() > 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    m_operationQueue.reset();
    m_retiredQueues.clear();
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
    if (view)
        view->setModel(m_resultsArrayController);
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
    m_skipItem = false;
    m_shouldShowCleanSystemTip = false;
    m_cfprefsdNeedsRestart = false;
    m_sharedfilelistdNeedsRestart = false;

    m_resultsArrayController->setColumns(ResultsColumns::columns());

    if (QTableView *table = m_resultsTableView) {
        const auto &columns = m_resultsArrayController->columns();
        for (int i = 0; i < columns.size(); ++i)
            table->setColumnHidden(i, columns[i].hidden);
        QHeaderView *header = table->horizontalHeader();
        header->setSectionResizeMode(QHeaderView::Interactive);
        header->resizeSection(0, 28);
        header->resizeSection(1, 24);
        header->setSectionResizeMode(2, QHeaderView::Stretch);
        header->resizeSection(3, 90);
        header->resizeSection(4, 34);
        header->resizeSection(5, 150);
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

// --- Flags the worker waits on --------------------------------------------------------------

void ResultsController::setFlag(std::atomic<bool> &flag, bool value)
{
    {
        std::lock_guard lock(m_waitMutex);
        flag = value;
    }
    m_waitChanged.notify_all();
}

void ResultsController::waitFor(const std::function<bool()> &ready)
{
    std::unique_lock lock(m_waitMutex);
    m_waitChanged.wait(lock, [&] { return m_stopping || ready(); });
}

bool ResultsController::isStopping() const
{
    std::lock_guard lock(m_waitMutex);
    return m_stopping;
}

QString ResultsController::skippedItemAppName() const
{
    std::lock_guard lock(m_handMutex);
    return m_skippedItemAppName;
}

void ResultsController::setSkippedItemAppName(const QString &name)
{
    std::lock_guard lock(m_handMutex);
    m_skippedItemAppName = name;
}

// --- Actions -------------------------------------------------------------------------------

void ResultsController::shredAction()
{
    m_skippedItemCount = 0;
    setSkippedItemAppName(QString());
    checkRecentFolders();
    checkCookies();
    setShowingScanResults(false);
    m_isShredding = true;
    m_doneShredding = false;
    checkRunningApps();
}

void ResultsController::cancelAction()
{
    setFlag(m_shredCancelled, true);
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
        m_shredMenuItem->setText(QStringLiteral("Cancel Cleaning"));
        m_menuAction = connect(m_shredMenuItem, &QAction::triggered, this, &ResultsController::cancelAction);
    }
    if (m_shredButton) {
        disconnect(m_buttonAction);
        const QString image = platform::Bundle::mainBundle().pathForResource(QStringLiteral("cancel"), QStringLiteral("png"));
        m_shredButton->setIcon(QIcon(image));
        m_shredButton->setText(QStringLiteral("Cancel"));
        m_shredButton->setToolTip(QStringLiteral("Cancel Cleaning"));
        m_buttonAction = connect(m_shredButton, &QPushButton::clicked, this, &ResultsController::cancelAction);
    }
}

// --- The run ---------------------------------------------------------------------------------

void ResultsController::start()
{
    for (const resultItemPtr &row : m_resultsArrayController->arrangedObjects()) {
        if (row->resultItemIsChecked() != std::optional<bool>(true)) {
            row->setResultItemStatusText(kSkipped);
            ++m_skippedItemCount;
        } else {
            row->setResultItemStatusText(kWaiting);
        }
    }
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
    setFlag(m_shredCancelled, false);
    turnIntoCancel();
    m_shreddedItemCount = 0;
    m_problemItemCount = 0;
    m_shreddedItemTotalSize = 0;
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("CancelShredTipText"), this);

    // An earlier queue may still be finishing its row: it is kept until we go.
    if (m_operationQueue) {
        m_operationQueue->cancelAllOperations();
        m_retiredQueues.push_back(std::move(m_operationQueue));
    }
    m_operationQueue = std::make_unique<platform::OperationQueue>();
    platform::OperationQueue *queue = m_operationQueue.get();
    for (const resultItemPtr &row : m_resultsArrayController->arrangedObjects()) {
        if (row->resultItemIsChecked() == std::optional<bool>(true))
            queue->addOperation([this, row] { updateInterface(row); });
    }
    queue->setOperationCountObserver([this, queue](int count) {
        if (count != 0)
            return;
        platform::MainThread::dispatch([guard = QPointer<ResultsController>(this), queue] {
            if (guard && guard->m_operationQueue.get() == queue)
                guard->observeOperationCount(0);
        });
    });
    if (platform::UserDefaults::standardUserDefaults().boolForKey(QStringLiteral("enableAnimations")))
        startShredAnimation();
    // A run without a checked row ends at once.
    if (queue->operationCount() == 0)
        platform::MainThread::dispatch([guard = QPointer<ResultsController>(this)] {
            if (guard)
                guard->observeOperationCount(0);
        });
    queue->setSuspended(false);
}

void ResultsController::startShredAnimation()
{
    if (m_doneShredding || !m_isShredding || m_shredCancelled || !m_shredderAnimator)
        return;
    platform::Timer::scheduledTimer(1.0, this, [this] {
        if (m_shredderAnimator)
            m_shredderAnimator->startPaperAnimation();
    });
}

void ResultsController::updateInterface(const resultItemPtr &row)
{
    // The user's choice is final: a row unticked while it waited is not cleaned, and its
    // application is not asked to quit for it.
    if (!isChecked(row)) {
        skipRow(row);
        return;
    }
    const QString appName = row->resultItemAppName();
    bool skip = false;
    if (m_skipItem && appName == skippedItemAppName()) {
        skip = true;
    } else {
        setFlag(m_skipItem, false);
        checkRunningAppsForEntry({{QStringLiteral("appIdentifier"), row->resultItemIdentifier()},
                                  {QStringLiteral("appName"), appName}});
        waitFor([this] { return !m_shredPaused; });
        // Going away while the alert was up: the application may still be running.
        if (isStopping())
            return;
        skip = m_skipItem;
    }
    if (skip)
        setSkippedItemAppName(appName);
    // A row unticked while the alert asked about its application is skipped as well.
    if (skip || m_shredCancelled || !isChecked(row)) {
        skipRow(row);
        return;
    }
    cleanRow(row);
}

bool ResultsController::isChecked(const resultItemPtr &row)
{
    return row->resultItemIsChecked() == std::optional<bool>(true);
}

void ResultsController::skipRow(const resultItemPtr &row)
{
    onMain([&] {
        setRowStatus(row, kSkipped);
        ++m_skippedItemCount;
    });
}

void ResultsController::checkRunningAppsForEntry(const QVariantMap &entry)
{
    const QString identifier = entry.value(QStringLiteral("appIdentifier")).toString();
    if (identifier != kFlashCookies)
        postAlertRequest(this, entry, QStringLiteral("ResultsControlSingleEntry"));
    if (m_alertControl && m_alertControl->shouldDisplayAlertWindow()) {
        setFlag(m_shredPaused, true);
        m_alertControl->showAlertWindow();
    }
}

void ResultsController::continueShred()
{
    setFlag(m_shredPaused, false);
}

void ResultsController::skipShredItem()
{
    setFlag(m_skipItem, true);
    setFlag(m_shredPaused, false);
}

void ResultsController::cancelShred()
{
    m_isShredding = false;
}

void ResultsController::cleanRow(const resultItemPtr &row)
{
    setFlag(m_itemDone, false);
    m_removalHandedOver = false;
    {
        std::lock_guard lock(m_handMutex);
        m_rowInHand = row;
    }
    const QString appName = row->resultItemAppName();
    const QString name = row->resultItemName();
    const QString path = row->resultItemPath();
    if (m_fileControl && platform::FileManager::defaultManager().fileExistsAtPath(path)) {
        const quint64 size = m_fileControl->fileSizeForPath(path);
        row->setResultItemSize(size);
        row->setResultItemConvertedSize(FileController::convertFileSize(size));
    }
    onMain([&] { setRowStatus(row, kCleaning); });

    const QVariantMap request = platform::dictionaryWithPairs({{kAppNameKey, appName}, {kNameKey, name}, {kPathKey, path}});
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("Clean") + appName, this, request);

    // Every request gets exactly one answer: a module that neither answered nor handed a
    // removal to the engine never will, so the row is answered here.
    if (!m_itemDone && !m_removalHandedOver) {
        QVariantMap answer = request;
        answer.insert(QStringLiteral("didClean"), false);
        platform::NotificationCenter::defaultCenter().post(QStringLiteral("CleaningStatusUpdateNotification"), this,
                                                           answer);
    }
    waitFor([this] { return bool(m_itemDone); });
    std::lock_guard lock(m_handMutex);
    m_rowInHand.reset();
}

bool ResultsController::isRowInHand(const QString &app, const QString &name, const QString &path) const
{
    std::lock_guard lock(m_handMutex);
    return m_rowInHand && m_rowInHand->resultItemAppName() == app && m_rowInHand->resultItemName() == name
           && m_rowInHand->resultItemPath() == path;
}

QList<resultItemPtr> ResultsController::rowsAwaiting(const QVariantMap &info) const
{
    // Only the row whose request is out takes an answer: a late or repeated post for a row
    // that has had its answer must not count it twice.
    resultItemPtr row;
    {
        std::lock_guard lock(m_handMutex);
        row = m_rowInHand;
    }
    if (!row || !isRowInHand(info.value(kAppNameKey).toString(), info.value(kNameKey).toString(),
                             info.value(kPathKey).toString()))
        return {};
    const QString text = row->resultItemStatusText();
    if (!text.startsWith(kCleaning) && !text.startsWith(kCancelling))
        return {};
    return {row};
}

void ResultsController::updateStatus(const platform::Notification &notification)
{
    const QVariantMap info = notification.userInfo;
    const bool didClean = info.value(QStringLiteral("didClean")).toBool();
    onMain([&] {
        const QList<resultItemPtr> rows = rowsAwaiting(info);
        for (const resultItemPtr &row : rows)
            applyStatus(row, didClean);
        if (!rows.isEmpty()) {
            reloadTable();
            setFlag(m_itemDone, true);
        }
    });
}

void ResultsController::applyStatus(const resultItemPtr &row, bool didClean)
{
    if (!didClean) {
        setRowStatus(row, kNotCleaned);
        ++m_problemItemCount;
        return;
    }
    setRowStatus(row, kCleaned);
    ++m_shreddedItemCount;
    const QString path = row->resultItemPath();
    if (m_fileControl && platform::FileManager::defaultManager().fileExistsAtPath(path)) {
        const quint64 remaining = m_fileControl->fileSizeForPath(path);
        const quint64 size = row->resultItemSize().value_or(0);
        const quint64 cleaned = size > remaining ? size - remaining : 4096;
        row->setResultItemSize(cleaned);
        row->setResultItemConvertedSize(FileController::convertFileSize(cleaned));
    }
    m_shreddedItemTotalSize += row->resultItemSize().value_or(0);
}

void ResultsController::processItemForRemoval(const platform::Notification &notification)
{
    const QVariantMap &info = notification.userInfo;
    const QString app = info.value(QStringLiteral("removalItemAppName")).toString();
    const QString name = info.value(QStringLiteral("removalItemName")).toString();
    const QString refPath = info.value(QStringLiteral("removalItemRefPath")).toString();
    const QVariantMap request = platform::dictionaryWithPairs({
        {QStringLiteral("itemApp"), app},
        {QStringLiteral("itemName"), name},
        {QStringLiteral("itemPath"), info.value(QStringLiteral("removalItemPath"))},
        {QStringLiteral("itemRefPath"), refPath},
    });
    if (!m_shredControl)
        return;
    // The engine answers what it is handed, under the announced names; only an announcement
    // for the row in hand stands for that row's answer.
    if (isRowInHand(app, name, refPath))
        m_removalHandedOver = true;
    ShredController *engine = m_shredControl;
    onMain([engine, &request] { engine->removeItemWithInfo(request); });
}

void ResultsController::updateProgress(const platform::Notification &notification)
{
    const QVariantMap info = notification.userInfo;
    const int percent = info.value(QStringLiteral("progressPercentage")).toInt();
    onMain([&] {
        const QList<resultItemPtr> rows = rowsAwaiting(info);
        const QString text = (m_shredCancelled ? QStringLiteral("- Cancelling (%1%)") : QStringLiteral("- Cleaning (%1%)"))
                                 .arg(percent);
        for (const resultItemPtr &row : rows)
            setRowStatus(row, text);
    });
}

void ResultsController::setRowStatus(const resultItemPtr &row, const QString &text)
{
    row->setResultItemStatusText(text);
    reloadTable();
}

void ResultsController::reloadTable()
{
    m_resultsArrayController->reload();
}

void ResultsController::observeOperationCount(int count)
{
    if (count != 0 || m_doneShredding || isStopping())
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
    auto &defaults = platform::UserDefaults::standardUserDefaults();
    defaults.setInteger(m_resultsArrayController->count(), QStringLiteral("lastScanCount"));
    defaults.setInteger(defaults.integerForKey(QStringLiteral("runCount")) + 1, QStringLiteral("runCount"));
    TemporaryFolder::removeEmptyFolders(); // every copy is destroyed by now
    displayShredResults();
}

void ResultsController::willDisplayStatusCell(QZStatusCell *cell, int index)
{
    const resultItemPtr row = m_resultsArrayController->objectAt(index);
    if (!m_isShredding || !cell || !row)
        return;
    const QString text = row->resultItemStatusText();
    if (row->resultItemIsChecked() != std::optional<bool>(true)) {
        cell->setCurrentStatus(QZStatusCell::Blue);
    } else if (text == kCleaned || text == kNotCleaned) {
        cell->setCurrentStatus(text == kCleaned ? QZStatusCell::Green : QZStatusCell::Red);
        // The row's own spinner: the cell may hold another row's by now (the row was out of
        // view when a later one started), and that one must keep turning.
        const QZStatusObjectPtr status = row->resultStatus();
        cell->setProgress(status ? status->progressSpinner() : nullptr);
        cell->stopSpinning();
    } else if (text.startsWith(kCleaning) || text.startsWith(kCancelling)) {
        cell->setCurrentStatus(QZStatusCell::Spinner);
        const QZStatusObjectPtr status = row->resultStatus();
        cell->setProgress(status ? status->progressSpinner() : nullptr);
        cell->addProgressToView(m_resultsTableView ? m_resultsTableView->viewport() : nullptr);
        cell->startSpinning();
    } else if (text == kWaiting) {
        cell->setCurrentStatus(QZStatusCell::Yellow);
    } else if (text == kSkipped) {
        cell->setCurrentStatus(QZStatusCell::Blue);
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
    QList<QVariantMap> pairs;
    for (const resultItemPtr &row : m_resultsArrayController->arrangedObjects()) {
        if (row->resultItemIsChecked() != std::optional<bool>(true))
            continue;
        const QVariantMap pair{{QStringLiteral("appIdentifier"), row->resultItemIdentifier()},
                               {QStringLiteral("appName"), row->resultItemAppName()}};
        if (!pairs.contains(pair))
            pairs.append(pair);
    }
    for (const QVariantMap &pair : std::as_const(pairs)) {
        if (pair.value(QStringLiteral("appIdentifier")).toString() == kFlashCookies)
            continue;
        postAlertRequest(this, pair, QStringLiteral("ResultsControl"));
    }
    if (pairs.isEmpty()) {
        platform::Alert alert;
        alert.setMessageText(QStringLiteral("No Items Selected"));
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.setInformativeText(QStringLiteral("Please make sure at least one item is selected for cleaning."));
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
        auto &defaults = platform::UserDefaults::standardUserDefaults();
        defaults.setInteger(defaults.integerForKey(QStringLiteral("runCount")) + 1, QStringLiteral("runCount"));
        // The tip is for a system found clean last time too (or never scanned before); a clean
        // result after findings only resets the count.
        const qint64 lastScanCount = defaults.integerForKey(QStringLiteral("lastScanCount"));
        if (lastScanCount <= 0) {
            if (lastScanCount < 0)
                defaults.setInteger(0, QStringLiteral("lastScanCount"));
            m_shouldShowCleanSystemTip = true;
        } else {
            defaults.setInteger(0, QStringLiteral("lastScanCount"));
        }
        m_isShowingScanResults = false;
        m_doneShredding = true;
        if (QLabel *view = m_cleanSystemImageView) {
            if (const platform::ImagePtr icon = platform::imageNamed(QStringLiteral("NSApplicationIcon")))
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
    DaemonRestarts::restart(QStringLiteral("cfprefsd"));
}

void ResultsController::restartSharedfilelistd()
{
    DaemonRestarts::restart(QStringLiteral("sharedfilelistd"));
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
        const CleaningSummary summary(m_shreddedItemCount, m_skippedItemCount, m_problemItemCount,
                                      m_shreddedItemTotalSize);
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
            center.post(QStringLiteral("CleanSystemTip"), this);
        center.post(QStringLiteral("CleaningStatusTips"), this);
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
        center.post(QStringLiteral("CleaningStatusTipsEnd"), this);
        center.post(QStringLiteral("CleanSystemTipEnd"), this);
    });
}

void ResultsController::setupTweetLink()
{
    const CleaningSummary summary(m_shreddedItemCount, m_skippedItemCount, m_problemItemCount,
                                  m_shreddedItemTotalSize);
    const QString productPage = platform::WebPages::siteAddress() + kProductPagePath;
    const QUrl url = summary.shareUrl(platform::VendorServices::hostAddress(QStringLiteral("socialHost")), productPage);
    if (QLabel *link = m_tweetLink) {
        link->setAlignment(Qt::AlignCenter);
        link->setText(hyperlinkFromTextString(QStringLiteral("Tweet Scan Results"), url));
    }
}
