#pragma once

#include "core/records/resultItem.h"
#include "ui/results/CleaningRunHost.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {
class OperationQueue;
struct Notification;
} // namespace platform

// The cleaning run of the results table's checked rows.
//
// What it guarantees:
// - one row at a time: one worker thread takes the checked rows in table order and does not
//   start the next before the row in hand has its answer;
// - one answer per row: every row ends cleaned, not cleaned or skipped, counted once; a late or
//   repeated answer for a row that has had its own is ignored;
// - never waits on a dead module: a module that neither answered nor handed a removal to the
//   engine never will, so its row is answered "not cleaned" here;
// - destroys only what the user chose: a removal goes to the engine only when it is announced
//   for the row in hand, under its name and path, before that row has its answer.
// Row texts, counters and table reloads belong to the main thread; the worker hands them over
// and waits. It reads its rows, services and alert through its host, and tells the host its end.
class CleaningRun : public QObject
{
    Q_OBJECT
public:
    explicit CleaningRun(CleaningRunHost &host);
    // Lets the row in hand finish and stops the worker.
    ~CleaningRun() override;
    void stop();

    // A new run: not cancelled, nothing cleaned or failed yet (main thread).
    void prepare();
    // Starts a worker over the checked rows; the host hears the count reach 0.
    void start();
    // The user asked to stop: the rows not yet started are skipped.
    void cancel() { setFlag(m_cancelled, true); }
    bool isCancelled() const { return m_cancelled; }
    bool isStopping() const;

    // Every ticked row waiting, every other one answered skipped (main thread).
    void markRows();
    void resetSkippedCount() { m_skippedItemCount = 0; }
    QString skippedItemAppName() const;
    void setSkippedItemAppName(const QString &name);
    void clearSkipItem() { m_skipItem = false; }

    // The worker's step for one row (worker thread).
    void updateInterface(const resultItemPtr &row);
    // The worker's running-application check for one row: keys::runningApp.
    void checkRunningAppsForEntry(const QVariantMap &entry);
    // Before the run: asks the alert about every application of a checked row; false when no
    // row is checked.
    bool checkRunningApps();
    // Outcomes of the per-row alert.
    void continueShred();
    void skipShredItem();
    // Answers, announcements and progress of the row in hand (any thread).
    void updateStatus(const platform::Notification &notification);
    void processItemForRemoval(const platform::Notification &notification);
    void updateProgress(const platform::Notification &notification);

    // Counters of the run (main thread).
    qint32 shreddedItemCount() const { return m_shreddedItemCount; }
    qint32 skippedItemCount() const { return m_skippedItemCount; }
    qint32 problemItemCount() const { return m_problemItemCount; }
    quint64 shreddedItemTotalSize() const { return m_shreddedItemTotalSize; }

private:
    void setFlag(std::atomic<bool> &flag, bool value);
    // Sleeps until `ready` holds (or the run is going away).
    void waitFor(const std::function<bool()> &ready);
    void setRowState(const resultItemPtr &row, RowState state, std::optional<int> percent = std::nullopt);
    // Gives a row its answer (skipped, cleaned or not cleaned) and counts it: the one place
    // the counters go up.
    void answerRow(const resultItemPtr &row, RowState answer);
    void reloadTable();
    void cleanRow(const resultItemPtr &row);
    // Answered skipped (worker thread).
    void skipRow(const resultItemPtr &row);
    void applyStatus(const resultItemPtr &row, bool didClean);
    // The row in hand when the names and path are its own and it has no answer yet (main thread).
    resultItemPtr rowAwaiting(const QString &app, const QString &name, const QString &path) const;
    // Rows awaiting the answer that a status or progress post names.
    QList<resultItemPtr> rowsAwaiting(const QVariantMap &info) const;
    bool isRowInHand(const QString &app, const QString &name, const QString &path) const;

    CleaningRunHost &m_host;
    std::unique_ptr<platform::OperationQueue> m_operationQueue;
    // An earlier queue may still be finishing its row: it is kept until we go.
    std::vector<std::unique_ptr<platform::OperationQueue>> m_retiredQueues;

    // The worker waits on these; each change is made under m_waitMutex and wakes it.
    std::atomic<bool> m_itemDone{false};
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_skipItem{false};
    std::atomic<bool> m_paused{false};
    mutable std::mutex m_waitMutex;
    std::condition_variable m_waitChanged;
    bool m_stopping = false; // under m_waitMutex

    // The row whose request is out, whether its removal went to the engine, and the
    // application being skipped (written by the worker and the main thread).
    mutable std::mutex m_handMutex;
    resultItemPtr m_rowInHand;
    std::atomic<bool> m_removalHandedOver{false};
    QString m_skippedItemAppName;

    qint32 m_shreddedItemCount = 0;
    qint32 m_skippedItemCount = 0;
    qint32 m_problemItemCount = 0;
    quint64 m_shreddedItemTotalSize = 0;
};
