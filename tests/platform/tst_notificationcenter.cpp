#include "platform/system/NotificationCenter.h"

#include <QThread>
#include <QtTest>

#include <atomic>
#include <memory>
#include <thread>

using platform::Notification;
using platform::NotificationCenter;

class tst_NotificationCenter : public QObject
{
    Q_OBJECT

private slots:
    void deliversOnPostingThread();
    void deliversInOrderWithPayload();
    void onlyMatchingName();
    void ownerDestructionRemoves();
    void ownerDestroyedDuringDelivery();
    void observerAddedDuringDeliveryWaitsForNextPost();
    void removeByName();
    void concurrentPostsAndRegistrations();
};

void tst_NotificationCenter::deliversOnPostingThread()
{
    NotificationCenter center;
    QObject owner;
    std::atomic<QThread *> ranOn{nullptr};
    center.addObserver(&owner, "Ping", [&](const Notification &) { ranOn = QThread::currentThread(); });

    QThread *poster = nullptr;
    std::thread worker([&] {
        poster = QThread::currentThread();
        center.post("Ping");
    });
    worker.join(); // seen by the thread checker, unlike QThread::wait
    QCOMPARE(ranOn.load(), poster);

    center.post("Ping");
    QCOMPARE(ranOn.load(), QThread::currentThread());
}

void tst_NotificationCenter::deliversInOrderWithPayload()
{
    NotificationCenter center;
    QObject owner;
    QStringList calls;
    QList<const void *> senders;
    int sender = 0;
    for (const QString tag : {"first", "second", "third"}) {
        center.addObserver(&owner, "Status", [&calls, &senders, tag](const Notification &n) {
            senders << n.object;
            calls << tag + ":" + n.userInfo.value("path").toString();
        });
    }
    center.post("Status", &sender, {{"path", "/x"}});
    QCOMPARE(calls, (QStringList{"first:/x", "second:/x", "third:/x"}));
    QCOMPARE(senders, QList<const void *>(3, &sender));
    QCOMPARE(center.observerCount("Status"), 3);
}

void tst_NotificationCenter::onlyMatchingName()
{
    NotificationCenter center;
    int hits = 0;
    int key = 0;
    center.addObserver(static_cast<const void *>(&key), "A", [&](const Notification &) { ++hits; });
    center.post("B");
    center.post("a");
    QCOMPARE(hits, 0);
    center.post("A");
    QCOMPARE(hits, 1);
    center.removeObserver(&key);
    center.post("A");
    QCOMPARE(hits, 1);
    QCOMPARE(center.observerCount("A"), 0);
}

void tst_NotificationCenter::ownerDestructionRemoves()
{
    NotificationCenter center;
    int hits = 0;
    auto owner = std::make_unique<QObject>();
    center.addObserver(owner.get(), "N", [&](const Notification &) { ++hits; });
    center.addObserver(owner.get(), "M", [&](const Notification &) { ++hits; });
    QObject survivor;
    center.addObserver(&survivor, "N", [&](const Notification &) { hits += 10; });
    owner.reset();
    QCOMPARE(center.observerCount("N"), 1);
    QCOMPARE(center.observerCount("M"), 0);
    center.post("N");
    center.post("M");
    QCOMPARE(hits, 10);

    // A new object at a reused address is watched afresh.
    auto again = std::make_unique<QObject>();
    center.addObserver(again.get(), "M", [&](const Notification &) { ++hits; });
    again.reset();
    QCOMPARE(center.observerCount("M"), 0);
}

void tst_NotificationCenter::ownerDestroyedDuringDelivery()
{
    NotificationCenter center;
    QObject first;
    auto second = std::make_unique<QObject>();
    bool secondRan = false;
    center.addObserver(&first, "N", [&](const Notification &) { second.reset(); });
    center.addObserver(second.get(), "N", [&](const Notification &) { secondRan = true; });
    center.post("N");
    QVERIFY(!secondRan);
}

void tst_NotificationCenter::observerAddedDuringDeliveryWaitsForNextPost()
{
    NotificationCenter center;
    QObject owner;
    int late = 0;
    bool added = false;
    center.addObserver(&owner, "N", [&](const Notification &) {
        if (!added) {
            added = true;
            center.addObserver(&owner, "N", [&](const Notification &) { ++late; });
        }
        center.post("Inner"); // posting from a handler does not deadlock
    });
    center.post("N");
    QCOMPARE(late, 0);
    center.post("N");
    QCOMPARE(late, 1);
}

void tst_NotificationCenter::removeByName()
{
    NotificationCenter center;
    QObject owner;
    QStringList seen;
    center.addObserver(&owner, "A", [&](const Notification &n) { seen << n.name; });
    center.addObserver(&owner, "B", [&](const Notification &n) { seen << n.name; });
    center.removeObserver(&owner, "A");
    center.post("A");
    center.post("B");
    QCOMPARE(seen, QStringList{"B"});
}

void tst_NotificationCenter::concurrentPostsAndRegistrations()
{
    NotificationCenter center;
    std::atomic<int> hits{0};
    QObject owner;
    center.addObserver(&owner, "N", [&](const Notification &) { ++hits; });
    auto poster = [&] {
        for (int i = 0; i < 2000; ++i)
            center.post("N");
    };
    std::thread a(poster);
    std::thread b([&] {
        for (int i = 0; i < 500; ++i) {
            QObject temporary;
            center.addObserver(&temporary, "N", [](const Notification &) {});
        }
    });
    a.join();
    b.join();
    QCOMPARE(hits.load(), 2000);
    QCOMPARE(center.observerCount("N"), 1);
}

QTEST_GUILESS_MAIN(tst_NotificationCenter)
#include "tst_notificationcenter.moc"
