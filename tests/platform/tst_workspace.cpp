#include "platform/files/FileManager.h"
#include "platform/system/ApplicationWatcher.h"
#include "platform/system/Image.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Workspace.h"
#include "support/FakeHome.h"

#include <QProcess>
#include <QtTest>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

using namespace platform;

namespace {

const QString launchName = u"NSWorkspaceDidLaunchApplicationNotification"_s;
const QString terminateName = u"NSWorkspaceDidTerminateApplicationNotification"_s;

bool listsProcess(const QList<RunningApplication> &apps, qint64 pid)
{
    return std::any_of(apps.begin(), apps.end(),
                       [pid](const RunningApplication &app) { return app.processIdentifier == pid; });
}

bool noticed(const QList<QVariantMap> &notices, qint64 pid)
{
    return std::any_of(notices.begin(), notices.end(), [pid](const QVariantMap &info) {
        return info.value(u"NSApplicationProcessIdentifier"_s).toLongLong() == pid;
    });
}

QList<QVariantMap> forProcess(const QList<QVariantMap> &notices, qint64 pid)
{
    QList<QVariantMap> matching;
    for (const QVariantMap &info : notices) {
        if (info.value(u"NSApplicationProcessIdentifier"_s).toLongLong() == pid)
            matching.append(info);
    }
    return matching;
}

} // namespace

class tst_Workspace : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void bundleLookup_data();
    void bundleLookup();
    void bundleLookupMisses();
    void icons_data();
    void icons();
    void bundledImages();
    void realProcessIsRunningAndNoticed();
    void zombieIsNotRunning();
    void noticesFromSource();
    void urlRecorder();
};

void tst_Workspace::cleanup()
{
    Workspace::sharedWorkspace().setRunningApplicationSource({});
    Workspace::sharedWorkspace().setURLRecorder({});
}

void tst_Workspace::bundleLookup_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("binary");
    QTest::addColumn<QString>("query");
    QTest::newRow("Applications") << "Applications" << false << "com.example.Browser";
    QTest::newRow("Utilities, other case") << "Applications/Utilities" << false << "COM.EXAMPLE.browser";
    QTest::newRow("two levels down") << "Applications/Vendor/Tools" << false << "com.example.browser";
    QTest::newRow("System/Applications") << "System/Applications" << false << "com.example.Browser";
    QTest::newRow("CoreServices, binary") << "System/Library/CoreServices" << true << "com.example.BROWSER";
    QTest::newRow("home Applications") << "~/Applications" << false << "com.example.browser";
    QTest::newRow("home Applications, binary") << "~/Applications" << true << "Com.Example.Browser";
}

void tst_Workspace::bundleLookup()
{
    QFETCH(QString, folder);
    QFETCH(bool, binary);
    QFETCH(QString, query);
    FakeHome fake;
    QVERIFY(fake.isValid());
    QVERIFY(!fake.addApplication(u"com.example.Other"_s, u"Other"_s).isEmpty());
    const QString bundle = fake.addApplication(u"com.example.Browser"_s, u"Browser"_s, folder, binary);
    QVERIFY(!bundle.isEmpty());
    QCOMPARE(Workspace::sharedWorkspace().absolutePathForAppBundleWithIdentifier(query), bundle);
}

void tst_Workspace::bundleLookupMisses()
{
    const Workspace &ws = Workspace::sharedWorkspace();
    {
        FakeHome fake;
        // A bundle inside another bundle is not an installed application.
        const QString outer = fake.addApplication(u"com.example.Outer"_s, u"Outer"_s);
        QVERIFY(!fake.addApplication(u"com.example.Inner"_s, u"Inner"_s, u"Applications/Outer.app/Contents/Helpers"_s)
                     .isEmpty());
        QVERIFY(fake.writeFile(fake.rootPath(u"Applications/Broken.app/Contents/Info.plist"_s), "<plist><dict><key>"));
        QVERIFY(fake.makeDir(fake.rootPath(u"Applications/Empty.app"_s)));
        QCOMPARE(ws.absolutePathForAppBundleWithIdentifier(u"com.example.Outer"_s), outer);
        QVERIFY(ws.absolutePathForAppBundleWithIdentifier(u"com.example.Inner"_s).isEmpty());
        QVERIFY(ws.absolutePathForAppBundleWithIdentifier(u"com.example.Missing"_s).isEmpty());
        QVERIFY(ws.absolutePathForAppBundleWithIdentifier(QString()).isEmpty());
    }
    // The system root is read on every call.
    FakeHome other;
    QVERIFY(ws.absolutePathForAppBundleWithIdentifier(u"com.example.Outer"_s).isEmpty());
}

void tst_Workspace::icons_data()
{
    QTest::addColumn<QString>("iconFile"); // written over CFBundleIconFile; "-" keeps the builder's
    QTest::addColumn<bool>("ownIcon");
    QTest::newRow("name without extension") << "-" << true;
    QTest::newRow("name with extension") << "Browser.icns" << true;
    QTest::newRow("missing file") << "Nothing" << false;
    QTest::newRow("outside Resources") << "../Info.plist" << false;
    QTest::newRow("no icon key") << "" << false;
}

void tst_Workspace::icons()
{
    QFETCH(QString, iconFile);
    QFETCH(bool, ownIcon);
    FakeHome fake;
    const QString bundle = fake.addApplication(u"com.example.Browser"_s, u"Browser"_s);
    if (iconFile != QLatin1String("-")) {
        QVariantMap info{{u"CFBundleIdentifier"_s, u"com.example.Browser"_s}};
        if (!iconFile.isEmpty())
            info.insert(u"CFBundleIconFile"_s, iconFile);
        QVERIFY(fake.writePlist(bundle + u"/Contents/Info.plist"_s, info));
    }
    const ImagePtr icon = Workspace::sharedWorkspace().iconForFile(bundle);
    QVERIFY(icon && !icon->isNull());
    const bool isOwn = icon->pixel(64, 64) == FakeHome::iconColor(u"com.example.Browser"_s).rgba();
    QCOMPARE(isOwn, ownIcon);

    const ImagePtr none = Workspace::sharedWorkspace().iconForFile(fake.path(u"missing.app"_s));
    QVERIFY(none && !none->isNull());
}

void tst_Workspace::bundledImages()
{
    for (const char *name :
         {"FlashCookie.icns", "FlashCookieSmall.png", "GenericApplicationIcon.png", "Nimbrel.icns"}) {
        const ImagePtr image = imageNamed(QString::fromLatin1(name));
        QVERIFY2(image && !image->isNull(), name);
        QCOMPARE(imageNamed(QString::fromLatin1(name)), image); // one shared image per resource
    }
    QVERIFY(!imageNamed(u"NoSuchImage.png"_s));
    QVERIFY(!imageNamed(u"../Info.plist"_s));
}

void tst_Workspace::realProcessIsRunningAndNoticed()
{
    FakeHome fake;
    // Other test programs may run the same fixture at the same time.
    const QString identifier = u"com.example.Runner%1"_s.arg(QCoreApplication::applicationPid());
    const QString bundle = fake.addRunnableApplication(identifier, u"Runner"_s);
    QVERIFY(!bundle.isEmpty());
    const Workspace &ws = Workspace::sharedWorkspace();

    QObject owner;
    QList<QVariantMap> launched, terminated;
    NotificationCenter::workspaceCenter().addObserver(&owner, launchName,
                                                      [&](const Notification &n) { launched.append(n.userInfo); });
    NotificationCenter::workspaceCenter().addObserver(&owner, terminateName,
                                                      [&](const Notification &n) { terminated.append(n.userInfo); });
    QTRY_VERIFY_WITH_TIMEOUT(ApplicationWatcher::instance().isWatching(), 10000);

    QProcess process;
    process.start(FakeHome::executableOf(bundle), {u"60"_s});
    QVERIFY(process.waitForStarted());
    const qint64 pid = process.processId();

    QTRY_VERIFY_WITH_TIMEOUT(listsProcess(ws.runningApplications(), pid), 10000);
    const QList<RunningApplication> matching = ws.runningApplicationsWithBundleIdentifier(identifier);
    QCOMPARE(matching.size(), 1);
    QCOMPARE(matching.first().processIdentifier, pid_t(pid));
    QCOMPARE(matching.first().bundlePath, bundle);
    QCOMPARE(matching.first().localizedName, u"Runner"_s);
    QVERIFY(ws.runningApplicationsWithBundleIdentifier(identifier.toLower()).isEmpty());
    QVERIFY(ws.isRunning(pid_t(pid)));

    QTRY_VERIFY_WITH_TIMEOUT(noticed(launched, pid), 10000);
    process.kill();
    QVERIFY(process.waitForFinished());
    QVERIFY(!ws.isRunning(pid_t(pid)));
    QTRY_VERIFY_WITH_TIMEOUT(noticed(terminated, pid), 10000);
    const QVariantMap info = forProcess(terminated, pid).first();
    QCOMPARE(info.value(u"NSApplicationBundleIdentifier"_s).toString(), identifier);
    QCOMPARE(info.value(u"NSApplicationName"_s).toString(), u"Runner"_s);
    QCOMPARE(info.value(u"NSApplicationPath"_s).toString(), bundle);
}

void tst_Workspace::zombieIsNotRunning()
{
    FakeHome fake;
    const QString bundle = fake.addRunnableApplication(u"com.example.Zombie"_s, u"Zombie"_s);
    QVERIFY(!bundle.isEmpty());
    const QByteArray exe = encodePath(FakeHome::executableOf(bundle));
    const pid_t pid = fork();
    QVERIFY(pid >= 0);
    if (pid == 0) {
        execl(exe.constData(), exe.constData(), "60", static_cast<char *>(nullptr));
        _exit(127);
    }
    const Workspace &ws = Workspace::sharedWorkspace();
    QTRY_VERIFY_WITH_TIMEOUT(listsProcess(ws.runningApplications(), pid), 10000);
    kill(pid, SIGKILL);
    // Not reaped yet: the process table still holds it, but it runs no more.
    QTRY_VERIFY_WITH_TIMEOUT(!ws.isRunning(pid), 10000);
    QVERIFY(!listsProcess(ws.runningApplications(), pid));
    QCOMPARE(waitpid(pid, nullptr, 0), pid);
}

void tst_Workspace::noticesFromSource()
{
    QList<RunningApplication> apps;
    Workspace &ws = Workspace::sharedWorkspace();
    ws.setRunningApplicationSource([&apps] { return apps; });
    RunningApplication safari{4242, u"com.apple.Safari"_s, u"/Applications/Safari.app"_s, u"Safari"_s};

    QObject owner;
    QList<QVariantMap> launched, terminated;
    NotificationCenter::workspaceCenter().addObserver(&owner, terminateName,
                                                      [&](const Notification &n) { terminated.append(n.userInfo); });
    QTRY_VERIFY_WITH_TIMEOUT(ApplicationWatcher::instance().isWatching(), 10000);
    NotificationCenter::workspaceCenter().addObserver(&owner, launchName,
                                                      [&](const Notification &n) { launched.append(n.userInfo); });

    apps.append(safari);
    QTRY_COMPARE_WITH_TIMEOUT(forProcess(launched, 4242).size(), 1, 10000);
    QCOMPARE(forProcess(launched, 4242).first().value(u"NSApplicationBundleIdentifier"_s).toString(),
             safari.bundleIdentifier);
    QCOMPARE(forProcess(launched, 4242).first().value(u"NSApplicationPath"_s).toString(), safari.bundlePath);
    QVERIFY(ws.isRunning(4242));

    // The same number now running another bundle: one ended, another began.
    apps.first().bundlePath = u"/Applications/Other.app"_s;
    QTRY_COMPARE_WITH_TIMEOUT(forProcess(terminated, 4242).size(), 1, 10000);
    QTRY_COMPARE_WITH_TIMEOUT(forProcess(launched, 4242).size(), 2, 10000);
    QCOMPARE(forProcess(terminated, 4242).first().value(u"NSApplicationName"_s).toString(), u"Safari"_s);
    apps.clear();
    QTRY_COMPARE_WITH_TIMEOUT(forProcess(terminated, 4242).size(), 2, 10000);
    QCOMPARE(forProcess(terminated, 4242).last().value(u"NSApplicationPath"_s).toString(),
             u"/Applications/Other.app"_s);
    QVERIFY(!ws.isRunning(4242));
}

void tst_Workspace::urlRecorder()
{
    QList<QUrl> opened;
    Workspace::sharedWorkspace().setURLRecorder([&opened](const QUrl &url) { opened.append(url); });
    QVERIFY(Workspace::sharedWorkspace().openURL(QUrl(u"https://www.example.com/guide"_s)));
    QCOMPARE(opened, QList<QUrl>{QUrl(u"https://www.example.com/guide"_s)});
}

QTEST_MAIN(tst_Workspace)
#include "tst_workspace.moc"
