#include "platform/system/MainThread.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <thread>

using platform::MainThread;

class tst_MainThread : public QObject
{
    Q_OBJECT

private slots:
    void performAndWaitRunsOnMainThreadBeforeReturning();
    void performAndWaitOnMainThreadRunsDirectly();
    void dispatchQueuesInOrder();
};

void tst_MainThread::performAndWaitRunsOnMainThreadBeforeReturning()
{
    QThread *mainThread = QThread::currentThread();
    QThread *ranOn = nullptr;
    bool ranBeforeReturn = false;
    bool sawMainThread = false;
    bool workerIsMain = true;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        bool ran = false;
        MainThread::performAndWait([&] {
            ranOn = QThread::currentThread();
            sawMainThread = MainThread::isMainThread();
            ran = true;
        });
        ranBeforeReturn = ran;
        workerIsMain = MainThread::isMainThread();
        done = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(done.load(), 10000);
    worker.join();
    QCOMPARE(ranOn, mainThread);
    QVERIFY(sawMainThread);
    QVERIFY(!workerIsMain);
    QVERIFY(ranBeforeReturn);
}

void tst_MainThread::performAndWaitOnMainThreadRunsDirectly()
{
    // A blocking queued call from the main thread to itself would deadlock.
    int calls = 0;
    MainThread::performAndWait([&] { ++calls; });
    QCOMPARE(calls, 1);
}

void tst_MainThread::dispatchQueuesInOrder()
{
    QList<int> order;
    std::atomic<bool> posted{false};
    std::thread worker([&] {
        for (int i = 0; i < 5; ++i)
            MainThread::dispatch([&order, i] { order.append(i); });
        posted = true;
    });
    worker.join();
    QVERIFY(posted.load());
    MainThread::dispatch([&order] { order.append(99); });
    QVERIFY(order.isEmpty()); // nothing runs until the event loop does
    QTRY_COMPARE_WITH_TIMEOUT(order.size(), 6, 10000);
    QCOMPARE(order, (QList<int>{0, 1, 2, 3, 4, 99}));
}

QTEST_MAIN(tst_MainThread)
#include "tst_mainthread.moc"
