#include "platform/plist/PlistLimits.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/UserDefaults.h"
#include "support/CiSkip.h"
#include "support/HostileLists.h"
#include "support/PeakMemory.h"
#include "support/ScratchDisk.h"

#include <QDir>
#include <QFile>
#include <QPoint>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <thread>

#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::PropertyList;
using platform::UserDefaults;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QVariantMap storedMap(const QString &path)
{
    const auto list = PropertyList::fromFile(path);
    return list ? list->toVariant().toMap() : QVariantMap();
}

} // namespace

class tst_UserDefaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void typedGetters_data();
    void typedGetters();
    void userValueOverRegistered();
    void writtenWithoutSynchronize();
    void writtenAfterSetOnWorkerThread();
    void valuesSurviveReload();
    void damagedStoreIsKeptBeside();
    void fullDiskKeepsTheStore();
    void hostileStoreIsNeverWaitedOn_data();
    void hostileStoreIsNeverWaitedOn();
    void unsupportedValueIsRefused();
    void observers();
    void observerRunsOutsideTheLock();
    void concurrentSetAndGet();
    void suiteIsReadOnly();
    void controllerReverts();

private:
    std::unique_ptr<QTemporaryDir> m_home;
    QByteArray m_savedHome;
};

void tst_UserDefaults::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
        qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
    m_savedHome = qgetenv("HOME");
}

void tst_UserDefaults::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    qputenv("HOME", QFile::encodeName(m_home->path()));
    UserDefaults::resetStandardUserDefaults();
}

void tst_UserDefaults::cleanup()
{
    UserDefaults::resetStandardUserDefaults();
    qputenv("HOME", m_savedHome);
    m_home.reset();
}

void tst_UserDefaults::typedGetters_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("asBool");
    QTest::addColumn<qint64>("asInteger");
    QTest::addColumn<QString>("asString");

    QTest::newRow("absent") << QVariant() << false << qint64(0) << QString();
    QTest::newRow("true") << QVariant(true) << true << qint64(1) << QString();
    QTest::newRow("false") << QVariant(false) << false << qint64(0) << QString();
    QTest::newRow("integer 7") << QVariant(qint64(7)) << true << qint64(7) << "7";
    QTest::newRow("integer 0") << QVariant(0) << false << qint64(0) << "0";
    QTest::newRow("negative") << QVariant(-3) << true << qint64(-3) << "-3";
    QTest::newRow("real 2.9") << QVariant(2.9) << true << qint64(2) << "2.9";
    QTest::newRow("real 0.0") << QVariant(0.0) << false << qint64(0) << "0";
    QTest::newRow("string YES") << QVariant("YES") << true << qint64(0) << "YES";
    QTest::newRow("string yes") << QVariant("yes") << true << qint64(0) << "yes";
    QTest::newRow("string true") << QVariant("true") << true << qint64(0) << "true";
    QTest::newRow("string 1") << QVariant("1") << true << qint64(1) << "1";
    QTest::newRow("string 42") << QVariant(" 42 ") << true << qint64(42) << " 42 ";
    QTest::newRow("string 0") << QVariant("0") << false << qint64(0) << "0";
    QTest::newRow("string NO") << QVariant("NO") << false << qint64(0) << "NO";
    QTest::newRow("string text") << QVariant("hello") << false << qint64(0) << "hello";
    QTest::newRow("date") << QVariant(QDateTime::currentDateTimeUtc()) << false << qint64(0) << QString();
    QTest::newRow("list") << QVariant(QVariantList{1}) << false << qint64(0) << QString();
}

void tst_UserDefaults::typedGetters()
{
    QFETCH(QVariant, value);
    QFETCH(bool, asBool);
    QFETCH(qint64, asInteger);
    QFETCH(QString, asString);

    UserDefaults &d = UserDefaults::standardUserDefaults();
    // The same answers whether the value is registered or stored by the user.
    d.registerDefaults({{"registered", value}});
    d.setObject(value, "user");
    for (const QString key : {"registered", "user"}) {
        QCOMPARE(d.boolForKey(key), asBool);
        QCOMPARE(d.integerForKey(key), asInteger);
        QCOMPARE(d.stringForKey(key), asString);
    }
}

void tst_UserDefaults::userValueOverRegistered()
{
    UserDefaults &d = UserDefaults::standardUserDefaults();
    d.registerDefaults({{"enableTips", true}, {"level", 1}});
    QCOMPARE(d.objectForKey("enableTips"), QVariant(true));
    d.setBool(false, "enableTips");
    QVERIFY(!d.boolForKey("enableTips"));
    QCOMPARE(d.registeredDefaults().value("enableTips"), QVariant(true));
    d.removeObjectForKey("enableTips");
    QVERIFY(d.boolForKey("enableTips"));
    d.setObject(QVariant(), "level"); // an empty value removes; nothing stored to remove
    QCOMPARE(d.integerForKey("level"), qint64(1));
    d.setInteger(2, "level");
    d.setObject(QVariant(), "level");
    QCOMPARE(d.integerForKey("level"), qint64(1));
    QVERIFY(!d.objectForKey("never").isValid());
}

void tst_UserDefaults::writtenWithoutSynchronize()
{
    UserDefaults &d = UserDefaults::standardUserDefaults();
    const QString path = d.storePath();
    QCOMPARE(path, m_home->path() + "/Library/Preferences/com.brindlecove.Nimbrel.plist");
    QVERIFY(!QFile::exists(path));
    d.registerDefaults({{"registeredOnly", 5}});
    d.setInteger(3, "runCount");
    QTRY_VERIFY_WITH_TIMEOUT(storedMap(path).value("runCount") == QVariant(qint64(3)), 30000);
    QVERIFY(readAll(path).startsWith("bplist00"));
    // Registered values are never stored.
    QVERIFY(!storedMap(path).contains("registeredOnly"));
    // No temporary file is left beside the store.
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(), 1);
}

void tst_UserDefaults::writtenAfterSetOnWorkerThread()
{
    UserDefaults &d = UserDefaults::standardUserDefaults();
    std::thread worker([&d] { d.setBool(true, "fromWorker"); });
    worker.join();
    QTRY_VERIFY_WITH_TIMEOUT(storedMap(d.storePath()).value("fromWorker") == QVariant(true), 30000);
}

void tst_UserDefaults::valuesSurviveReload()
{
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(Q_INT64_C(1600000000250), Qt::UTC);
    const QVariantMap values{{"date", when},
                             {"real", 1.0},
                             {"integer", qint64(-9)},
                             {"text", QString("Ünï")},
                             {"list", QVariantList{QString("a"), qint64(2)}},
                             {"dict", QVariantMap{{"k", true}}},
                             {"data", QByteArray("\x00\x01", 2)}};
    {
        UserDefaults &d = UserDefaults::standardUserDefaults();
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            d.setObject(it.value(), it.key());
        d.setInteger(5, "removed");
        d.removeObjectForKey("removed");
    }
    UserDefaults::resetStandardUserDefaults(); // the final write happens here
    UserDefaults &d = UserDefaults::standardUserDefaults();
    // Owner only: the settings name the folders items are set aside in.
    QCOMPARE(QFileInfo(d.storePath()).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        QCOMPARE(d.objectForKey(it.key()).metaType(), it.value().metaType());
        QCOMPARE(d.objectForKey(it.key()), it.value());
    }
    QCOMPARE(d.dateForKey("date"), when);
    QCOMPARE(d.doubleForKey("real"), 1.0);
    QCOMPARE(d.arrayForKey("list").size(), 2);
    QCOMPARE(d.dictionaryForKey("dict").value("k"), QVariant(true));
    QVERIFY(d.arrayForKey("dict").isEmpty());
    QVERIFY(!d.objectForKey("removed").isValid());
}

void tst_UserDefaults::damagedStoreIsKeptBeside()
{
    const QString folder = m_home->path() + "/Library/Preferences";
    const QString path = folder + "/com.brindlecove.Nimbrel.plist";
    const QByteArray damaged = "bplist00 this store was cut short";
    QVERIFY(writeFile(path, damaged));

    UserDefaults &d = UserDefaults::standardUserDefaults();
    QVERIFY(!d.objectForKey("anything").isValid());
    const QStringList kept = QDir(folder).entryList({"com.brindlecove.Nimbrel.plist.damaged-*"}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(readAll(folder + "/" + kept.first()), damaged);
    // A fresh, valid store replaces it at once.
    const auto fresh = PropertyList::fromFile(path);
    QVERIFY(fresh);
    QVERIFY(fresh->isDictionary());
    QCOMPARE(fresh->count(), 0);

    d.setBool(true, "after");
    QVERIFY(d.synchronize());
    QCOMPARE(storedMap(path).value("after"), QVariant(true));
    QCOMPARE(readAll(folder + "/" + kept.first()), damaged);
}

// A store that does not fit on the disk never takes the old one's place: the next launch
// finds every setting as it was.
void tst_UserDefaults::fullDiskKeepsTheStore()
{
    const QString home = m_home->path() + "/disk";
    ScratchDisk disk(home, "256k");
    if (!disk.mounted())
        SKIP_OR_FAIL_IN_CI("no small file system can be mounted here (needs root): a full disk cannot be made");
    qputenv("HOME", QFile::encodeName(home));
    UserDefaults::resetStandardUserDefaults();
    const auto resetFirst = qScopeGuard([] { UserDefaults::resetStandardUserDefaults(); });
    UserDefaults &d = UserDefaults::standardUserDefaults();
    d.setBool(true, "enableSecureDelete");
    d.setObject(QVariantList{QString("/tmp/a/Nimbrel")}, "setAsideFolders");
    QVERIFY(d.synchronize());
    const QByteArray before = readAll(d.storePath());
    QVERIFY(!before.isEmpty());

    QVERIFY(ScratchDisk::fillUp(home + "/filler"));
    d.setBool(false, "enableSecureDelete");
    d.setObject(QString(8192, QChar('z')), "more");
    QVERIFY(!d.synchronize());
    QCOMPARE(readAll(d.storePath()), before);
    // Nothing half-written is left beside it.
    QCOMPARE(QDir(QFileInfo(d.storePath()).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QFileInfo(d.storePath()).fileName()});
}

void tst_UserDefaults::hostileStoreIsNeverWaitedOn_data()
{
    QTest::addColumn<QString>("suite"); // empty: the program's own store
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("keptBeside");
    for (const QString &suite : {QString(), u"MobileMeAccounts"_s}) {
        const QString who = suite.isEmpty() ? u"own store, "_s : u"suite, "_s;
        QTest::newRow(qPrintable(who + "fifo")) << suite << "fifo" << false;
        QTest::newRow(qPrintable(who + "link to /dev/zero")) << suite << "zero" << false;
        QTest::newRow(qPrintable(who + "nested 29000 deep")) << suite << "deep" << suite.isEmpty();
        QTest::newRow(qPrintable(who + "nested 300000 deep behind a comment")) << suite << "comment" << suite.isEmpty();
        QTest::newRow(qPrintable(who + "eight million nodes")) << suite << "nodes" << suite.isEmpty();
        QTest::newRow(qPrintable(who + "quote in true before 300000 levels")) << suite << "true" << suite.isEmpty();
        QTest::newRow(qPrintable(who + "quote in false before 300000 levels")) << suite << "false" << suite.isEmpty();
        QTest::newRow(qPrintable(who + "unclosed quote before 300000 levels"))
            << suite << "unclosed" << suite.isEmpty();
        QTest::newRow(qPrintable(who + "16 MB referred to 64 times")) << suite << "shared" << suite.isEmpty();
    }
}

void tst_UserDefaults::hostileStoreIsNeverWaitedOn()
{
    QFETCH(QString, suite);
    QFETCH(QString, kind);
    QFETCH(bool, keptBeside);
    const QString folder = m_home->path() + "/Library/Preferences";
    const QString name = suite.isEmpty() ? u"com.brindlecove.Nimbrel.plist"_s : suite + ".plist";
    const QString path = folder + "/" + name;
    QVERIFY(QDir().mkpath(folder));
    if (kind == "fifo") {
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0); // no writer: a blocking read never returns
    } else if (kind == "zero") {
        QVERIFY(QFile::link("/dev/zero", path));
    } else if (kind == "deep") {
        QByteArray deep("<plist>");
        for (int i = 0; i < 29000; ++i)
            deep.append("<array>");
        QVERIFY(writeFile(path, deep));
    } else if (kind == "true" || kind == "false" || kind == "unclosed") {
        QVERIFY(writeFile(
            path, hostilelists::quoteBeforeDeepNesting(kind == "false" ? "false" : "true", kind != "unclosed")));
    } else if (kind == "shared") {
        QVERIFY(writeFile(path, hostilelists::sharedData(16 << 20, 64)));
    } else {
        // Closing tags inside a comment are not tags; eight million elements pass the budget.
        const bool comment = kind == "comment";
        const QByteArray unit = comment ? QByteArray("</array>") : QByteArray("<true/>");
        const int count = comment ? 300000 : 8 * 1000 * 1000;
        QByteArray list("<plist>");
        list.reserve(qsizetype(count) * 2 * unit.size() + 64);
        if (comment)
            list.append("<!--" + unit.repeated(count) + "-->" + QByteArray("<array>").repeated(count));
        else
            list.append("<array>" + unit.repeated(count));
        QVERIFY(writeFile(path, list + "</array></plist>"));
    }
    const bool regular = kind != "fifo" && kind != "zero" && kind != "deep";
    const QByteArray written = regular ? readAll(path) : QByteArray();

    const PeakMemory peak;
    QVERIFY2(peak.ok(), "the kernel's peak-memory mark cannot be lowered here");
    std::optional<UserDefaults> own;
    UserDefaults &d = suite.isEmpty() ? UserDefaults::standardUserDefaults() : own.emplace(suite);
    QVERIFY(!d.objectForKey("Accounts").isValid());
    if (PeakMemory::budgetsHold)
        QVERIFY2(peak.growthBytes() < qint64(300) << 20,
                 qPrintable(QString::number(peak.growthBytes() >> 20) + " MiB"));
    d.setBool(true, "after");
    // Only a store that was read and found damaged is replaced; a pipe or a device stays.
    QCOMPARE(d.synchronize(), keptBeside);
    const QStringList beside = QDir(folder).entryList({name + ".damaged-*"}, QDir::Files);
    QCOMPARE(beside.size(), keptBeside ? 1 : 0);
    if (regular)
        QCOMPARE(readAll(folder + "/" + (keptBeside ? beside.first() : name)), written);
    const QFileInfo info(path);
    if (kind == "fifo")
        QVERIFY(!info.isSymLink() && !info.isFile() && info.exists());
    if (kind == "zero")
        QVERIFY(info.isSymLink());
}

void tst_UserDefaults::unsupportedValueIsRefused()
{
    UserDefaults &d = UserDefaults::standardUserDefaults();
    d.setInteger(1, "k");
    d.setObject(QVariant::fromValue(QPoint(1, 2)), "k");
    QCOMPARE(d.objectForKey("k"), QVariant(qint64(1)));

    // A store past the readers' byte budget would be set aside at the next launch, every
    // setting with it: it is not written, and the last good one stays.
    QVERIFY(d.synchronize());
    const QString path = d.storePath();
    const QByteArray good = readAll(path);
    QVERIFY(!good.isEmpty());
    d.setObject(QByteArray(qsizetype(platform::plistlimits::maxExpandedBytes) + 1, 'x'), "huge");
    QVERIFY(!d.synchronize());
    QCOMPARE(readAll(path), good);
    d.removeObjectForKey("huge");
    QVERIFY(d.synchronize());
}

void tst_UserDefaults::observers()
{
    UserDefaults &d = UserDefaults::standardUserDefaults();
    d.registerDefaults({{"scanSafari", true}});
    struct Call
    {
        QString key;
        int kind;
        QVariant oldValue, newValue;
        QThread *thread;
    };
    QList<Call> calls;
    QMutex callsMutex;
    int owner = 0;
    auto record = [&](const QString &key, int kind, const QVariant &o, const QVariant &n) {
        QMutexLocker lock(&callsMutex);
        calls.append({key, kind, o, n, QThread::currentThread()});
    };
    d.addObserver("scanSafari", &owner, record);
    d.addObserver("scanSafari", &owner, record); // each call is one more registration

    d.setBool(false, "scanSafari");
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].key, QString("scanSafari"));
    QCOMPARE(calls[1].key, QString("scanSafari"));
    QCOMPARE(calls[0].kind, 1);
    QCOMPARE(calls[0].oldValue, QVariant(true));
    QCOMPARE(calls[0].newValue, QVariant(false));

    calls.clear();
    d.setBool(true, "other");
    QVERIFY(calls.isEmpty());

    d.removeObserver("scanSafari", &owner);
    QThread *setter = nullptr;
    std::thread worker([&d, &setter] {
        setter = QThread::currentThread();
        d.removeObjectForKey("scanSafari");
    });
    worker.join(); // a hand-over the thread checker sees, unlike QThread::wait
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].key, QString("scanSafari"));
    QCOMPARE(calls[0].thread, setter); // on the setting thread
    QCOMPARE(calls[0].oldValue, QVariant(false));
    QCOMPARE(calls[0].newValue, QVariant(true)); // the registered value shows through

    d.removeObserver("scanSafari", &owner);
    d.removeObserver("scanSafari", &owner); // none left: no effect
    calls.clear();
    d.setBool(false, "scanSafari");
    QVERIFY(calls.isEmpty());
}

void tst_UserDefaults::observerRunsOutsideTheLock()
{
    UserDefaults &d = UserDefaults::standardUserDefaults();
    int owner = 0;
    std::atomic<bool> otherThreadRead{false};
    bool finished = true;
    d.addObserver("k", &owner, [&](const QString &, int, const QVariant &, const QVariant &) {
        // A reader stuck on a held lock is left behind rather than hang the test.
        auto done = std::make_shared<std::promise<void>>();
        std::future<void> readerDone = done->get_future();
        std::thread reader([&otherThreadRead, &d, done] {
            otherThreadRead = d.boolForKey("k");
            done->set_value();
        });
        finished = readerDone.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
        if (finished)
            reader.join();
        else
            reader.detach();
        d.setInteger(2, "again"); // and the observer may set values itself
    });
    d.setBool(true, "k");
    QVERIFY(finished);
    QVERIFY(otherThreadRead);
    QCOMPARE(d.integerForKey("again"), qint64(2));
}

void tst_UserDefaults::concurrentSetAndGet()
{
    UserDefaults &d = UserDefaults::standardUserDefaults();
    constexpr int rounds = 3000;
    std::atomic<bool> inconsistent{false};
    auto writer = [&d](const QString &key) {
        return [&d, key] {
            for (int i = 0; i < rounds; ++i) {
                d.setInteger(i, key);
                d.setObject(QString::number(i), key + "Text");
            }
        };
    };
    std::thread a(writer("a"));
    std::thread b(writer("b"));
    std::thread reader([&] {
        for (int i = 0; i < rounds; ++i) {
            const qint64 v = d.integerForKey("a");
            if (v < 0 || v >= rounds)
                inconsistent = true;
        }
    });
    a.join();
    b.join();
    reader.join();
    QVERIFY(!inconsistent);
    QCOMPARE(d.integerForKey("a"), qint64(rounds - 1));
    QCOMPARE(d.integerForKey("b"), qint64(rounds - 1));
    QCOMPARE(d.stringForKey("bText"), QString::number(rounds - 1));
    QVERIFY(d.synchronize());
    QCOMPARE(storedMap(d.storePath()).value("aText").toString(), QString::number(rounds - 1));
}

void tst_UserDefaults::suiteIsReadOnly()
{
    const QString path = m_home->path() + "/Library/Preferences/MobileMeAccounts.plist";
    const QVariantMap accounts{{"Accounts", QVariantList{QVariantMap{{"AccountID", "me@example.com"}}}}};
    const QByteArray xml = PropertyList::fromVariant(accounts).toData(PropertyList::Format::Xml).value();
    QVERIFY(writeFile(path, xml));

    UserDefaults suite("MobileMeAccounts");
    QCOMPARE(suite.storePath(), path);
    QCOMPARE(suite.arrayForKey("Accounts").value(0).toMap().value("AccountID").toString(), QString("me@example.com"));
    suite.setBool(true, "changed");
    QVERIFY(!suite.synchronize());
    QCOMPARE(readAll(path), xml);

    // A damaged suite reads as empty and is left exactly as it was.
    QVERIFY(writeFile(path, "<plist><dict>"));
    UserDefaults damaged("MobileMeAccounts");
    QVERIFY(damaged.arrayForKey("Accounts").isEmpty());
    QCOMPARE(readAll(path), QByteArray("<plist><dict>"));
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files).size(), 1);

    UserDefaults missing("NoSuchSuite");
    QVERIFY(!missing.objectForKey("x").isValid());
    QVERIFY(!QFile::exists(missing.storePath()));
}

void tst_UserDefaults::controllerReverts()
{
    auto &controller = platform::UserDefaultsController::sharedUserDefaultsController();
    const QVariantMap initial{{"enableSFX", true}, {"secureDeleteLevel", 1}};
    UserDefaults &d = UserDefaults::standardUserDefaults();
    d.registerDefaults(initial);
    controller.setInitialValues(initial);
    QCOMPARE(controller.initialValues(), initial);

    d.setBool(false, "enableSFX");
    d.setInteger(2, "secureDeleteLevel");
    controller.revertToInitialValues({"enableSFX"});
    QVERIFY(d.boolForKey("enableSFX"));
    QCOMPARE(d.integerForKey("secureDeleteLevel"), qint64(2));
}

QTEST_GUILESS_MAIN(tst_UserDefaults)
#include "tst_userdefaults.moc"
