#include "platform/system/OperationQueue.h"

#include <QtTest>

#include <future>
#include <mutex>
#include <vector>

using platform::OperationQueue;

class tst_OperationQueue : public QObject
{
    Q_OBJECT
private slots:
    void runsInOrderOnOneThread();
    void cancelDropsWhatHasNotStarted();
    void destroyedWithWorkLeft();
};

void tst_OperationQueue::runsInOrderOnOneThread()
{
    std::mutex mutex;
    std::vector<int> ran;
    std::vector<std::thread::id> threads;
    std::vector<int> counts;
    OperationQueue queue;
    QVERIFY(queue.isSuspended());
    for (int i = 1; i <= 4; ++i)
        queue.addOperation([&, i] {
            std::lock_guard lock(mutex);
            ran.push_back(i);
            threads.push_back(std::this_thread::get_id());
        });
    QCOMPARE(queue.operationCount(), 4);
    queue.setOperationCountObserver([&](int count) {
        std::lock_guard lock(mutex);
        counts.push_back(count);
    });
    queue.setSuspended(false);
    queue.waitUntilAllOperationsAreFinished();
    std::lock_guard lock(mutex);
    QCOMPARE(ran, (std::vector<int>{1, 2, 3, 4}));
    QVERIFY(threads[0] != std::this_thread::get_id());
    QCOMPARE(std::count(threads.begin(), threads.end(), threads[0]), 4);
    // The last count may be reported just after the wait returns.
    QVERIFY(counts.size() >= 3);
    QCOMPARE(std::vector<int>(counts.begin(), counts.begin() + 3), (std::vector<int>{3, 2, 1}));
}

void tst_OperationQueue::cancelDropsWhatHasNotStarted()
{
    std::promise<void> started, release;
    std::shared_future<void> released(release.get_future());
    std::mutex mutex;
    std::vector<int> ran;
    std::promise<void> zero;
    OperationQueue queue;
    queue.addOperation([&] {
        started.set_value();
        released.wait();
        std::lock_guard lock(mutex);
        ran.push_back(1);
    });
    for (int i = 2; i <= 3; ++i)
        queue.addOperation([&, i] {
            std::lock_guard lock(mutex);
            ran.push_back(i);
        });
    queue.setOperationCountObserver([&](int count) {
        if (count == 0)
            zero.set_value();
    });
    queue.setSuspended(false);
    started.get_future().wait();
    queue.cancelAllOperations();
    QCOMPARE(queue.operationCount(), 1); // the running one goes on
    release.set_value();
    zero.get_future().wait();
    std::lock_guard lock(mutex);
    QCOMPARE(ran, std::vector<int>{1});
}

void tst_OperationQueue::destroyedWithWorkLeft()
{
    bool ran = false;
    {
        OperationQueue queue;
        queue.addOperation([&ran] { ran = true; });
    }
    QVERIFY(!ran);
}

QTEST_MAIN(tst_OperationQueue)
#include "tst_operationqueue.moc"
