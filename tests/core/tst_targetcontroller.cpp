#include "core/PrefsPaneHost.h"
#include "core/TargetController.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"

#include <QThread>
#include <QtTest>

#include <thread>

using platform::Notification;
using platform::NotificationCenter;
using platform::UserDefaults;

namespace {

// The preferences controller's side of the contract: keeps the panes and the changes of
// the switches it was told about.
class RecordingPrefsHost : public PrefsPaneHost
{
public:
    QList<QVariantMap> panes;
    struct Change
    {
        QString key;
        int kind;
        QVariant oldValue, newValue;
    };
    QList<Change> changes;
    void addItemWithInfo(const QVariantMap &info) override { panes.append(info); }
    void observeValueForKeyPath(const QString &key, int kind, const QVariant &oldValue,
                                const QVariant &newValue) override
    {
        changes.append({key, kind, oldValue, newValue});
    }
};

// A module as the module pattern builds one: identity, master switch, a pane, and the
// candidate descriptions it is given.
class ProbeModule : public TargetController
{
public:
    ProbeModule(const QString &identifier, const QString &scanKey, const QString &name)
        : m_identifier(identifier)
        , m_scanKey(scanKey)
        , m_name(name)
    {}
    void init() override
    {
        TargetController::init();
        setIdentifierString(m_identifier);
        setScanString(m_scanKey);
        setTargetName(m_name);
    }
    bool checkTarget() override { return UserDefaults::standardUserDefaults().boolForKey(scanString()); }
    void loadTargetPrefView() override
    {
        auto *pane = new QObject(this);
        pane->setObjectName(targetName() + " Settings");
        if (prefControl())
            prefControl()->addItemWithInfo(
                {{"ident", identifierString()}, {"vController", QVariant::fromValue<QObject *>(pane)}});
    }
    void addTargetItems() override
    {
        for (const QVariantMap &d : candidates)
            addTargetItemWithDict(d);
        arrayDuringScan = targetItemArray();
    }

    QList<QVariantMap> candidates;
    targetItemList arrayDuringScan;

private:
    QString m_identifier, m_scanKey, m_name;
};

// Every post of one name, with the thread it was delivered on.
struct PostRecorder
{
    struct Post
    {
        Notification notification;
        QThread *thread;
    };
    QObject owner;
    QList<Post> posts;
    explicit PostRecorder(const QString &name)
    {
        NotificationCenter::defaultCenter().addObserver(&owner, name, [this](const Notification &n) {
            posts.append({n, QThread::currentThread()});
        });
    }
};

std::optional<QVariant> storedValue(const QString &key)
{
    const QString path = UserDefaults::standardUserDefaults().storePath();
    const auto store = platform::PropertyList::fromFile(path);
    if (!store || !store->contains(key))
        return std::nullopt;
    return store->value(key);
}

const QString kProbeId = "com.example.Probe";

} // namespace

class tst_targetcontroller : public QObject
{
    Q_OBJECT

private slots:
    void paneOfferedOnlyWhenItShouldBe_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QVariant>("storedKey");
        QTest::addColumn<QString>("notification");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QVariant>("keyAfter");

        const QVariant none;
        QTest::newRow("check, installed, never offered")
            << true << none << "CheckInstalledApps" << true << QVariant(true);
        QTest::newRow("check, installed, key NO")
            << true << QVariant(false) << "CheckInstalledApps" << false << QVariant(false);
        QTest::newRow("check, installed, key YES")
            << true << QVariant(true) << "CheckInstalledApps" << false << QVariant(true);
        QTest::newRow("check, missing") << false << none << "CheckInstalledApps" << false << none;
        QTest::newRow("load, installed, key NO")
            << true << QVariant(false) << "LoadPrefsViews" << true << QVariant(true);
        QTest::newRow("load, installed, key YES")
            << true << QVariant(true) << "LoadPrefsViews" << true << QVariant(true);
        QTest::newRow("load, missing") << false << none << "LoadPrefsViews" << false << none;
    }
    void paneOfferedOnlyWhenItShouldBe()
    {
        QFETCH(bool, installed);
        QFETCH(QVariant, storedKey);
        QFETCH(QString, notification);
        QFETCH(bool, offered);
        QFETCH(QVariant, keyAfter);

        FakeHome home;
        QVERIFY(home.isValid());
        if (installed)
            QVERIFY(!home.addApplication(kProbeId, "Probe").isEmpty());
        if (storedKey.isValid())
            UserDefaults::standardUserDefaults().setObject(storedKey, kProbeId);
        RecordingPrefsHost prefs;
        ProbeModule module(kProbeId, "scanProbe", "Probe");
        module.setPrefControl(&prefs);
        module.init();

        NotificationCenter::defaultCenter().post(notification, this);

        QCOMPARE(module.doesExist(), installed);
        QCOMPARE(prefs.panes.size(), offered ? 1 : 0);
        if (offered) {
            QCOMPARE(prefs.panes[0].value("ident").toString(), kProbeId);
            auto *pane = prefs.panes[0].value("vController").value<QObject *>();
            QVERIFY(pane);
            QCOMPARE(pane->objectName(), QString("Probe Settings"));
            // The record that the pane was offered is on disk at once.
            QCOMPARE(storedValue(kProbeId), std::optional<QVariant>(QVariant(true)));
        }
        QCOMPARE(UserDefaults::standardUserDefaults().objectForKey(kProbeId), keyAfter);
        UserDefaults::standardUserDefaults().removeObserver("scanProbe", &prefs);
    }

    void masterSwitchObservations_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("steps"); // L = "LoadPrefsViews", R = "RemovePrefsObservers",
                                            // U = the application is removed
        QTest::addColumn<int>("callsPerChange");

        QTest::newRow("loaded once") << true << "L" << 1;
        QTest::newRow("each load adds one") << true << "LL" << 2;
        QTest::newRow("each remove takes one") << true << "LLR" << 1;
        QTest::newRow("removed") << true << "LR" << 0;
        QTest::newRow("remove without any") << true << "RLRR" << 0;
        QTest::newRow("application missing") << false << "LL" << 0;
        QTest::newRow("removed application keeps its observation") << true << "LUR" << 1;
    }
    void masterSwitchObservations()
    {
        QFETCH(bool, installed);
        QFETCH(QString, steps);
        QFETCH(int, callsPerChange);

        FakeHome home;
        const QString bundle = installed ? home.addApplication(kProbeId, "Probe") : QString();
        RecordingPrefsHost prefs;
        ProbeModule module(kProbeId, "scanProbe", "Probe");
        module.setPrefControl(&prefs);
        module.init();
        for (const QChar step : steps) {
            if (step == 'U')
                QVERIFY(QDir(bundle).removeRecursively());
            else
                NotificationCenter::defaultCenter().post(step == 'L' ? "LoadPrefsViews" : "RemovePrefsObservers", this);
        }

        UserDefaults &defaults = UserDefaults::standardUserDefaults();
        defaults.setBool(true, "scanProbe");
        defaults.setBool(false, "scanProbe");
        defaults.setBool(true, "someOtherKey");
        QCOMPARE(prefs.changes.size(), 2 * callsPerChange);
        if (callsPerChange > 0) {
            const auto &last = prefs.changes.last();
            QCOMPARE(last.key, QString("scanProbe"));
            QCOMPARE(last.kind, 1);
            QCOMPARE(last.oldValue, QVariant(true));
            QCOMPARE(last.newValue, QVariant(false));
        }
        for (int i = 0; i < callsPerChange; ++i)
            defaults.removeObserver("scanProbe", &prefs);
    }

    void locationOffers_data()
    {
        QTest::addColumn<QVariant>("masterSwitch");
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QString>("notification");
        QTest::addColumn<bool>("offered");

        for (const QString n : {"CheckTargetLocations", "AddLocationItem"}) {
            QTest::addRow("%s: on, installed", qPrintable(n)) << QVariant(true) << true << n << true;
            QTest::addRow("%s: off, installed", qPrintable(n)) << QVariant(false) << true << n << false;
            QTest::addRow("%s: unset, installed", qPrintable(n)) << QVariant() << true << n << false;
            QTest::addRow("%s: on, missing", qPrintable(n)) << QVariant(true) << false << n << false;
        }
    }
    void locationOffers()
    {
        QFETCH(QVariant, masterSwitch);
        QFETCH(bool, installed);
        QFETCH(QString, notification);
        QFETCH(bool, offered);

        FakeHome home;
        if (installed)
            home.addApplication(kProbeId, "Probe");
        if (masterSwitch.isValid())
            UserDefaults::standardUserDefaults().setObject(masterSwitch, "scanProbe");
        ProbeModule module(kProbeId, "scanProbe", "Probe");
        module.init();
        PostRecorder offers("AddTargetLocation");

        NotificationCenter::defaultCenter().post(notification, this, {{"locString", "Probe"}});

        QCOMPARE(offers.posts.size(), offered ? 1 : 0);
        if (offered) {
            const Notification &n = offers.posts[0].notification;
            QCOMPARE(n.object, static_cast<const void *>(&module));
            QCOMPARE(n.userInfo, (QVariantMap{{"ident", kProbeId}, {"targetName", "Probe"}}));
        }
    }

    void addLocationItemReachesOnlyTheNamedModule()
    {
        FakeHome home;
        home.addApplication(kProbeId, "Probe");
        home.addApplication("com.example.Other", "Other");
        UserDefaults::standardUserDefaults().setBool(true, "scanProbe");
        UserDefaults::standardUserDefaults().setBool(true, "scanOther");
        ProbeModule flash(kProbeId, "scanProbe", "Flash Cookies");
        ProbeModule other("com.example.Other", "scanOther", "Flash");
        flash.init();
        other.init();
        PostRecorder offers("AddTargetLocation");

        NotificationCenter::defaultCenter().post("AddLocationItem", this, {{"locString", "Flash Cookies"}});
        QCOMPARE(offers.posts.size(), 1);
        QCOMPARE(offers.posts[0].notification.object, static_cast<const void *>(&flash));

        NotificationCenter::defaultCenter().post("AddLocationItem", this, {});
        QCOMPARE(offers.posts.size(), 1);
    }

    void locationScan_data()
    {
        QTest::addColumn<QVariantMap>("request");
        QTest::addColumn<QList<QVariantMap>>("candidates");
        QTest::addColumn<bool>("posted");
        QTest::addColumn<QStringList>("batchKeys");

        const QVariantMap full{{"targetItemPath", "/h/Library/Safari/History.db"},
                               {"targetItemType", "File"},
                               {"targetItemClassification", "Browsing History"},
                               {"targetItemExtraInfo", ""}};
        const QVariantMap plist{{"targetItemPath", "/h/Library/Preferences/com.example.Probe.plist"},
                                {"targetItemType", "Plist"},
                                {"targetItemClassification", "Recent Searches"},
                                {"targetItemExtraInfo", "RecentSearchStrings"}};
        const QStringList all{"targIdentifier", "targName", "targets"}; // sorted, as keys() gives them
        const QVariantMap request{{"targName", "Probe"}, {"targIdentifier", kProbeId}};

        QTest::newRow("two candidates") << request << QList<QVariantMap>{full, plist} << true << all;
        QTest::newRow("no candidate still posts") << request << QList<QVariantMap>{} << true << all;
        QTest::newRow("other module's location")
            << QVariantMap{{"targName", "Other"}, {"targIdentifier", "com.example.Other"}} << QList<QVariantMap>{full}
            << false << QStringList{};
        QTest::newRow("identifier differs in case")
            << QVariantMap{{"targName", "Probe"}, {"targIdentifier", "com.example.probe"}} << QList<QVariantMap>{full}
            << false << QStringList{};
        QTest::newRow("no identifier") << QVariantMap{{"targName", "Probe"}} << QList<QVariantMap>{full} << false
                                       << QStringList{};
        QTest::newRow("no name: batch stops at once")
            << QVariantMap{{"targIdentifier", kProbeId}} << QList<QVariantMap>{full} << true << QStringList{};
    }
    void locationScan()
    {
        QFETCH(QVariantMap, request);
        QFETCH(QList<QVariantMap>, candidates);
        QFETCH(bool, posted);
        QFETCH(QStringList, batchKeys);

        FakeHome home;
        ProbeModule module(kProbeId, "scanProbe", "Probe");
        module.init();
        module.candidates = candidates;
        PostRecorder batches("CheckTargetFiles");

        NotificationCenter::defaultCenter().post("CheckLocationItems", this, request);

        QCOMPARE(batches.posts.size(), posted ? 1 : 0);
        QVERIFY(module.targetItemArray().isEmpty()); // nothing of the scan stays
        if (!posted)
            return;
        const Notification &n = batches.posts[0].notification;
        QCOMPARE(n.object, static_cast<const void *>(&module));
        QCOMPARE(n.userInfo.keys(), batchKeys);
        if (!batchKeys.contains("targets"))
            return;
        QCOMPARE(n.userInfo.value("targName"), request.value("targName"));
        QCOMPARE(n.userInfo.value("targIdentifier"), request.value("targIdentifier"));
        const auto targets = n.userInfo.value("targets").value<targetItemList>();
        QCOMPARE(targets.size(), candidates.size());
        QCOMPARE(targets, module.arrayDuringScan);
        for (int i = 0; i < targets.size(); ++i) {
            QCOMPARE(targets[i]->targetItemPath(), candidates[i].value("targetItemPath").toString());
            QCOMPARE(targets[i]->targetItemType(), candidates[i].value("targetItemType").toString());
            QCOMPARE(targets[i]->targetItemClassification(),
                     candidates[i].value("targetItemClassification").toString());
            QCOMPARE(targets[i]->targetItemExtraInfo(), candidates[i].value("targetItemExtraInfo"));
            QCOMPARE(targets[i]->targetItemSize(), std::optional<quint64>(0));
            QCOMPARE(targets[i]->targetItemIsChecked(), std::optional<bool>(true));
        }
    }

    void eachScanStartsAfresh()
    {
        FakeHome home;
        ProbeModule module(kProbeId, "scanProbe", "Probe");
        module.init();
        module.candidates = {{{"targetItemPath", "/a"},
                              {"targetItemType", "File"},
                              {"targetItemClassification", "Cache"},
                              {"targetItemExtraInfo", ""}}};
        PostRecorder batches("CheckTargetFiles");
        const QVariantMap request{{"targName", "Probe"}, {"targIdentifier", kProbeId}};
        NotificationCenter::defaultCenter().post("CheckLocationItems", this, request);
        NotificationCenter::defaultCenter().post("CheckLocationItems", this, request);
        QCOMPARE(batches.posts.size(), 2);
        QCOMPARE(batches.posts[1].notification.userInfo.value("targets").value<targetItemList>().size(), 1);
    }

    void missingExtraInfoGivesAnEmptyField()
    {
        FakeHome home;
        ProbeModule module(kProbeId, "scanProbe", "Probe");
        module.init();
        module.candidates = {
            {{"targetItemPath", "/a"}, {"targetItemType", "Dir"}, {"targetItemClassification", "Cache"}}};
        module.addTargetItems();
        QCOMPARE(module.arrayDuringScan.size(), 1);
        const targetItemPtr item = module.arrayDuringScan[0];
        QVERIFY(!item->targetItemExtraInfo().isValid());
        // The summary stops there: size and checked are left out as well.
        QCOMPARE(item->summary().keys(), (QStringList{"targetItemClassification", "targetItemPath", "targetItemType"}));
    }

    void sendersPostOnTheCallingThread_data()
    {
        QTest::addColumn<bool>("onWorker");
        QTest::newRow("main thread") << false;
        QTest::newRow("cleaning worker") << true;
    }
    void sendersPostOnTheCallingThread()
    {
        QFETCH(bool, onWorker);
        FakeHome home;
        ProbeModule module(kProbeId, "scanProbe", "Probe");
        module.init();
        PostRecorder statuses("CleaningStatusUpdateNotification");
        PostRecorder removals("RemovalItemNotification");

        QThread *sender = nullptr;
        auto send = [&] {
            sender = QThread::currentThread();
            module.sendCleaningStatusUpdateNotificationForItem("Probe Cache", "/h/Cache", false);
            module.sendRemovalNotificationForItem("Probe Cookies", "/t/Nimbrel/XYZ", "/h/Cookies");
        };
        if (onWorker) {
            // Joined through the thread library, a hand-over the thread checker sees.
            std::thread worker(send);
            worker.join();
            QVERIFY(sender != QThread::currentThread());
            QCOMPARE(statuses.posts.value(0).thread, sender);
        } else {
            send();
            QCOMPARE(statuses.posts.value(0).thread, sender);
        }

        QCOMPARE(statuses.posts.size(), 1);
        QCOMPARE(statuses.posts[0].notification.object, static_cast<const void *>(&module));
        QCOMPARE(statuses.posts[0].notification.userInfo,
                 (QVariantMap{{"cleaningItemAppName", "Probe"},
                              {"cleaningItemName", "Probe Cache"},
                              {"cleaningItemPath", "/h/Cache"},
                              {"didClean", false}}));
        QCOMPARE(removals.posts.size(), 1);
        QCOMPARE(removals.posts[0].notification.userInfo,
                 (QVariantMap{{"removalItemAppName", "Probe"},
                              {"removalItemName", "Probe Cookies"},
                              {"removalItemPath", "/t/Nimbrel/XYZ"},
                              {"removalItemRefPath", "/h/Cookies"}}));
    }

    void destroyedModulesHearNothing()
    {
        FakeHome home;
        const int before = NotificationCenter::defaultCenter().observerCount("CheckLocationItems");
        {
            ProbeModule module(kProbeId, "scanProbe", "Probe");
            module.init();
            module.init(); // a second init registers nothing more
            QCOMPARE(NotificationCenter::defaultCenter().observerCount("CheckLocationItems"), before + 1);
        }
        QCOMPARE(NotificationCenter::defaultCenter().observerCount("CheckLocationItems"), before);
        NotificationCenter::defaultCenter().post("CheckLocationItems", this,
                                                 {{"targName", "Probe"}, {"targIdentifier", kProbeId}});
    }

    void baseModuleOffersNothing()
    {
        FakeHome home;
        home.addApplication(kProbeId, "Probe");
        UserDefaults::standardUserDefaults().setBool(true, "scanProbe");
        TargetController base;
        base.init();
        base.setIdentifierString(kProbeId);
        base.setScanString("scanProbe");
        base.setTargetName("Probe");
        PostRecorder offers("AddTargetLocation");
        NotificationCenter::defaultCenter().post("CheckTargetLocations", this);
        QVERIFY(base.doesExist());
        QVERIFY(offers.posts.isEmpty()); // the base's checkTarget answers NO
    }
};

QTEST_MAIN(tst_targetcontroller)
#include "tst_targetcontroller.moc"
