#include "ui/results/CleaningRun.h"

#include "core/FileController.h"
#include "core/Keys.h"
#include "core/ShredController.h"
#include "platform/files/FileManager.h"
#include "platform/system/ArrayController.h"
#include "platform/system/Dictionary.h"
#include "platform/system/MainThread.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/OperationQueue.h"
#include "ui/alerts/AlertController.h"

#include <QCoreApplication>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

// Asks the alert to list the application of a keys::runningApp entry if it runs.
void postAlertRequest(const void *sender, const QVariantMap &entry, keys::AlertParent parent)
{
    platform::NotificationCenter::defaultCenter().post(
        keys::AddAlertItem, sender,
        keys::alertItem(entry.value(keys::AppIdentifier), entry.value(keys::AppName), parent));
}

void onMain(const std::function<void()> &fn)
{
    platform::MainThread::performAndWait(fn);
}

} // namespace

CleaningRun::CleaningRun(CleaningRunHost &host)
    : m_host(host)
{}

CleaningRun::~CleaningRun()
{
    stop();
}

void CleaningRun::stop()
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
}

// --- Flags the worker waits on --------------------------------------------------------------

void CleaningRun::setFlag(std::atomic<bool> &flag, bool value)
{
    {
        std::lock_guard lock(m_waitMutex);
        flag = value;
    }
    m_waitChanged.notify_all();
}

void CleaningRun::waitFor(const std::function<bool()> &ready)
{
    std::unique_lock lock(m_waitMutex);
    m_waitChanged.wait(lock, [&] { return m_stopping || ready(); });
}

bool CleaningRun::isStopping() const
{
    std::lock_guard lock(m_waitMutex);
    return m_stopping;
}

QString CleaningRun::skippedItemAppName() const
{
    std::lock_guard lock(m_handMutex);
    return m_skippedItemAppName;
}

void CleaningRun::setSkippedItemAppName(const QString &name)
{
    std::lock_guard lock(m_handMutex);
    m_skippedItemAppName = name;
}

// --- The run ---------------------------------------------------------------------------------

void CleaningRun::markRows()
{
    for (const resultItemPtr &row : m_host.resultsArrayController()->arrangedObjects()) {
        if (!row->isTicked())
            answerRow(row, RowState::Skipped);
        else
            row->setResultItemState(RowState::Waiting);
    }
}

void CleaningRun::prepare()
{
    setFlag(m_cancelled, false);
    m_shreddedItemCount = 0;
    m_problemItemCount = 0;
    m_shreddedItemTotalSize = 0;
}

void CleaningRun::start()
{
    if (m_operationQueue) {
        m_operationQueue->cancelAllOperations();
        m_retiredQueues.push_back(std::move(m_operationQueue));
    }
    m_operationQueue = std::make_unique<platform::OperationQueue>();
    platform::OperationQueue *queue = m_operationQueue.get();
    for (const resultItemPtr &row : m_host.resultsArrayController()->arrangedObjects()) {
        if (row->isTicked())
            queue->addOperation([this, row] { updateInterface(row); });
    }
    queue->setOperationCountObserver([this, queue](int count) {
        if (count != 0)
            return;
        platform::MainThread::dispatch([guard = QPointer<CleaningRun>(this), queue] {
            if (guard && guard->m_operationQueue.get() == queue)
                guard->m_host.observeOperationCount(0);
        });
    });
    // A run without a checked row ends at once.
    if (queue->operationCount() == 0)
        platform::MainThread::dispatch([guard = QPointer<CleaningRun>(this)] {
            if (guard)
                guard->m_host.observeOperationCount(0);
        });
    queue->setSuspended(false);
}

void CleaningRun::updateInterface(const resultItemPtr &row)
{
    // The user's choice is final: a row unticked while it waited is not cleaned, and its
    // application is not asked to quit for it.
    if (!row->isTicked()) {
        skipRow(row);
        return;
    }
    // After Cancel every later row is skipped whatever the answer: there is nothing to ask.
    if (m_cancelled) {
        skipRow(row);
        return;
    }
    const QString appName = row->resultItemAppName();
    bool skip = false;
    if (m_skipItem && appName == skippedItemAppName()) {
        skip = true;
    } else {
        setFlag(m_skipItem, false);
        checkRunningAppsForEntry(keys::runningApp(row->resultItemIdentifier(), appName));
        waitFor([this] { return !m_paused; });
        // Going away while the alert was up: the application may still be running.
        if (isStopping())
            return;
        skip = m_skipItem;
    }
    if (skip)
        setSkippedItemAppName(appName);
    // A row unticked while the alert asked about its application is skipped as well.
    if (skip || m_cancelled || !row->isTicked()) {
        skipRow(row);
        return;
    }
    cleanRow(row);
}

void CleaningRun::skipRow(const resultItemPtr &row)
{
    onMain([&] {
        answerRow(row, RowState::Skipped);
        reloadTable();
    });
}

bool CleaningRun::checkRunningApps()
{
    QList<QVariantMap> pairs;
    for (const resultItemPtr &row : m_host.resultsArrayController()->arrangedObjects()) {
        if (!row->isTicked())
            continue;
        const QVariantMap pair = keys::runningApp(row->resultItemIdentifier(), row->resultItemAppName());
        if (!pairs.contains(pair))
            pairs.append(pair);
    }
    for (const QVariantMap &pair : std::as_const(pairs)) {
        if (pair.value(keys::AppIdentifier).toString() == keys::FlashCookies)
            continue;
        postAlertRequest(m_host.runPostSender(), pair, keys::AlertParent::ResultsControl);
    }
    return !pairs.isEmpty();
}

void CleaningRun::checkRunningAppsForEntry(const QVariantMap &entry)
{
    const QString identifier = entry.value(keys::AppIdentifier).toString();
    if (identifier != keys::FlashCookies)
        postAlertRequest(m_host.runPostSender(), entry, keys::AlertParent::ResultsControlSingleEntry);
    AlertController *alert = m_host.alertControl();
    if (alert && alert->shouldDisplayAlertWindow()) {
        setFlag(m_paused, true);
        alert->showAlertWindow();
    }
}

void CleaningRun::continueShred()
{
    setFlag(m_paused, false);
}

void CleaningRun::skipShredItem()
{
    setFlag(m_skipItem, true);
    setFlag(m_paused, false);
}

void CleaningRun::cleanRow(const resultItemPtr &row)
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
    FileController *files = m_host.fileControl();
    if (files && platform::FileManager::defaultManager().fileExistsAtPath(path)) {
        const quint64 size = files->fileSizeForPath(path);
        row->setResultItemSize(size);
        row->setResultItemConvertedSize(FileController::convertFileSize(size));
    }
    onMain([&] {
        m_host.rowWillClean(m_host.resultsArrayController()->indexOfObject(row));
        setRowState(row, RowState::Cleaning);
    });

    const QVariantMap request = keys::cleaningRequest(appName, name, path);
    platform::NotificationCenter::defaultCenter().post(keys::cleanRequestName(appName), m_host.runPostSender(),
                                                       request);

    // Every request gets exactly one answer: a module that neither answered nor handed a
    // removal to the engine never will, so the row is answered here.
    if (!m_itemDone && !m_removalHandedOver) {
        QVariantMap answer = request;
        answer.insert(keys::DidClean, false);
        platform::NotificationCenter::defaultCenter().post(keys::CleaningStatusUpdateNotification,
                                                           m_host.runPostSender(), answer);
    }
    waitFor([this] { return bool(m_itemDone); });
    std::lock_guard lock(m_handMutex);
    m_rowInHand.reset();
}

bool CleaningRun::isRowInHand(const QString &app, const QString &name, const QString &path) const
{
    std::lock_guard lock(m_handMutex);
    return m_rowInHand && m_rowInHand->resultItemAppName() == app && m_rowInHand->resultItemName() == name
        && m_rowInHand->resultItemPath() == path;
}

resultItemPtr CleaningRun::rowAwaiting(const QString &app, const QString &name, const QString &path) const
{
    resultItemPtr row;
    {
        std::lock_guard lock(m_handMutex);
        row = m_rowInHand;
    }
    if (!row || !isRowInHand(app, name, path))
        return {};
    const std::optional<RowState> state = row->resultItemState();
    if (state != RowState::Cleaning && state != RowState::Cancelling)
        return {};
    return row;
}

QList<resultItemPtr> CleaningRun::rowsAwaiting(const QVariantMap &info) const
{
    // Only the row whose request is out takes an answer: a late or repeated post for a row
    // that has had its answer must not count it twice.
    const resultItemPtr row =
        rowAwaiting(info.value(keys::CleaningItemAppName).toString(), info.value(keys::CleaningItemName).toString(),
                    info.value(keys::CleaningItemPath).toString());
    if (!row)
        return {};
    return {row};
}

void CleaningRun::updateStatus(const platform::Notification &notification)
{
    const QVariantMap info = notification.userInfo;
    const bool didClean = info.value(keys::DidClean).toBool();
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

void CleaningRun::applyStatus(const resultItemPtr &row, bool didClean)
{
    if (!didClean) {
        answerRow(row, RowState::NotCleaned);
        reloadTable();
        return;
    }
    // What is left of a cleaned item was not cleaned; a file emptied in place counts a block.
    FileController *files = m_host.fileControl();
    const QString path = row->resultItemPath();
    if (files && platform::FileManager::defaultManager().fileExistsAtPath(path)) {
        const quint64 remaining = files->fileSizeForPath(path);
        const quint64 size = row->resultItemSize().value_or(0);
        const quint64 cleaned = size > remaining ? size - remaining : 4096;
        row->setResultItemSize(cleaned);
        row->setResultItemConvertedSize(FileController::convertFileSize(cleaned));
    }
    answerRow(row, RowState::Cleaned);
    reloadTable();
}

void CleaningRun::answerRow(const resultItemPtr &row, RowState answer)
{
    row->setResultItemState(answer);
    switch (answer) {
    case RowState::Skipped:
        ++m_skippedItemCount;
        break;
    case RowState::NotCleaned:
        ++m_problemItemCount;
        break;
    case RowState::Cleaned:
        ++m_shreddedItemCount;
        m_shreddedItemTotalSize += row->resultItemSize().value_or(0);
        break;
    case RowState::Waiting:
    case RowState::Cleaning:
    case RowState::Cancelling:
        Q_ASSERT(!"not an answer");
        break;
    }
}

void CleaningRun::processItemForRemoval(const platform::Notification &notification)
{
    const QVariantMap &info = notification.userInfo;
    const QString app = info.value(keys::RemovalItemAppName).toString();
    const QString name = info.value(keys::RemovalItemName).toString();
    const QString refPath = info.value(keys::RemovalItemRefPath).toString();
    const QVariantMap request = platform::dictionaryWithPairs({
        {keys::ItemApp, app},
        {keys::ItemName, name},
        {keys::ItemPath, info.value(keys::RemovalItemPath)},
        {keys::ItemRefPath, refPath},
    });
    ShredController *engine = m_host.shredControl();
    if (!engine)
        return;
    // Only the row in hand, still awaiting its answer, may have something destroyed: an
    // announcement under another name or path, or after the row was answered, is not what
    // the user chose, and what it set aside stays where it was put.
    onMain([&] {
        if (rowAwaiting(app, name, refPath)) {
            m_removalHandedOver = true;
            engine->removeItemWithInfo(request);
        }
    });
}

void CleaningRun::updateProgress(const platform::Notification &notification)
{
    const QVariantMap info = notification.userInfo;
    const int percent = info.value(keys::ProgressPercentage).toInt();
    onMain([&] {
        const QList<resultItemPtr> rows = rowsAwaiting(info);
        const RowState state = m_cancelled ? RowState::Cancelling : RowState::Cleaning;
        for (const resultItemPtr &row : rows)
            setRowState(row, state, percent);
    });
}

void CleaningRun::setRowState(const resultItemPtr &row, RowState state, std::optional<int> percent)
{
    row->setResultItemState(state, percent);
    reloadTable();
}

void CleaningRun::reloadTable()
{
    m_host.resultsArrayController()->reload();
}
