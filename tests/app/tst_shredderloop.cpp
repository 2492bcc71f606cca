#include "app/MainInterface.h"
#include "core/Keys.h"
#include "platform/gui/BasicAnimation.h"
#include "platform/gui/Modal.h"
#include "platform/gui/Sound.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Task.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/BundleDefaults.h"
#include "support/FakeHome.h"
#include "ui/animation/QZShredderAnimator.h"
#include "ui/results/ResultsController.h"

#include <QPushButton>
#include <QtTest>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

// The shredder as the launched program drives it through a real cleaning run of Safari's
// history. Whatever the run's length, the animation settles with the strips gone and the
// light off once its pending steps have run.
class tst_ShredderLoop : public QObject
{
    Q_OBJECT
private slots:
    void cleaningRun_data();
    void cleaningRun();
};

void tst_ShredderLoop::cleaningRun_data()
{
    QTest::addColumn<bool>("animations");
    QTest::newRow("animations on") << true;
    QTest::newRow("animations off: no cycle") << false;
}

void tst_ShredderLoop::cleaningRun()
{
    QFETCH(bool, animations);
    FakeHome home;
    QVERIFY(registerBundleDefaults());
    const QString safari = u"com.apple.Safari"_s;
    home.addApplication(safari, u"Safari"_s);
    FakeHome::writeFileAt(home.path(u"Library/Safari/History.plist"_s), QByteArray(5000, 'h'));
    UserDefaults &d = UserDefaults::standardUserDefaults();
    d.setBool(false, u"FirstLaunch"_s);
    d.setBool(true, safari);
    d.setBool(true, u"safariBrowsing"_s);
    d.setBool(false, u"enableSecureDelete"_s);
    d.setBool(animations, u"enableAnimations"_s);
    d.setBool(true, u"enableSFX"_s);
    QStringList sounds;
    platform::Sound::setPlayRecorder([&sounds](const QString &path) { sounds << path; });
    // The summary at the end of the run is a modal window: close it as a user would.
    platform::Modal::setObserver([](QWidget *window, bool) { platform::Modal::endModalForWindow(window); });
    // No daemon is ever really restarted from a test.
    platform::Task::setLaunchRecorder([](const QString &, const QStringList &) {});
    auto ui = MainInterface::load();
    // The start-up tips and launch prompts run now, as at launch, not in the middle of the run.
    platform::Timer::fireAllPending();
    QZShredderAnimator *animator = ui->shredderAnimator();
    QVERIFY(animator->slitView() && animator->paperView() && animator->animationView()
            && animator->tearsAnimationWindow() && animator->mainWindow());
    int notices = 0;
    QObject owner;
    platform::NotificationCenter::defaultCenter().addObserver(&owner, u"ShredAnimationEndedNotification"_s,
                                                              [&notices](const auto &) { ++notices; });

    platform::NotificationCenter::defaultCenter().post(keys::CheckLocationItems, nullptr,
                                                       keys::locationScan(u"Safari"_s, safari));
    ResultsController *results = ui->resultsControl();
    QVERIFY(results->resultsArrayController()->count() > 0);
    results->setShowingScanResults(true);
    results->shredButton()->click();
    QVERIFY(QTest::qWaitFor([results] { return results->isDoneCleaning(); }, 120000));
    QVERIFY(animator->animationIsDone());

    // Let every pending step happen now: the requested cycle, its paper, any strips.
    for (int round = 0; round < 10; ++round) {
        const int fired = platform::Timer::fireAllPending();
        QCoreApplication::processEvents();
        if (fired + platform::BasicAnimation::finishAllRunning() == 0)
            break;
    }
    if (animations)
        QVERIFY(animator->paperAnimationRequests() > 0);
    else
        QCOMPARE(animator->paperAnimationRequests(), 0);
    // Strips were seen only while the run went on, and each one ended with its notice.
    QCOMPARE(notices, sounds.size());
    QVERIFY(!animator->tearsAnimationWindow()->isVisible());
    QVERIFY(!animator->slitView()->isShredding());
    QVERIFY(animator->paperView()->layer()->sublayers().empty());
    QVERIFY(platform::Timer::pendingTimers().isEmpty());
    platform::Sound::setPlayRecorder({});
    platform::Task::setLaunchRecorder({});
    platform::Modal::setObserver({});
}

QTEST_MAIN(tst_ShredderLoop)
#include "tst_shredderloop.moc"
