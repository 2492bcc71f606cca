#include "platform/system/Task.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

using platform::Task;

namespace {

struct Run
{
    QList<QByteArray> chunks;
    QList<int> statuses;
    int chunksBeforeEnd = -1;
};

// Wires a task's handlers into a Run record.
void record(Task &task, Run &run)
{
    task.setStandardOutputHandler([&run](const QByteArray &chunk) { run.chunks << chunk; });
    task.setTerminationHandler([&run](int status) {
        run.statuses << status;
        run.chunksBeforeEnd = int(run.chunks.size());
    });
}

bool processGone(qint64 pid)
{
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

class TestTask : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The bundle the build lays out, also when the test is started by hand.
        if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
            qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
    }
    void cleanup() { Task::setLaunchRecorder({}); }

    void outputComesInWholeLinesBeforeTheEnd_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<int>("status");

        QTest::newRow("lines written at once")
            << "printf 'removing a\\n42%%\\ndone\\n'" << QList<QByteArray>{"removing a\n", "42%\n", "done\n"} << 0;
        QTest::newRow("line written in pieces")
            << "printf 'rem'; sleep 0.2; printf 'oving b\\n'; exit 4" << QList<QByteArray>{"removing b\n"} << 4;
        QTest::newRow("unfinished last line") << "printf '1%%\\n2'" << QList<QByteArray>{"1%\n", "2"} << 0;
        QTest::newRow("no output") << "exit 0" << QList<QByteArray>{} << 0;
    }
    void outputComesInWholeLinesBeforeTheEnd()
    {
        QFETCH(QString, script);
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(int, status);

        Task task;
        Run run;
        record(task, run);
        task.setLaunchPath("/bin/sh");
        task.setArguments({"-c", script});
        QVERIFY(task.launch());
        QTRY_COMPARE(run.statuses.size(), 1);
        QCOMPARE(run.chunks, chunks);
        QCOMPARE(run.chunksBeforeEnd, int(chunks.size()));
        QCOMPARE(run.statuses.first(), status);
        QCOMPARE(task.terminationStatus(), status);
        QVERIFY(!task.isRunning());
    }

    void interruptEndsTheChildWithTheSignal()
    {
        Task task;
        Run run;
        record(task, run);
        task.setLaunchPath("/bin/sleep");
        task.setArguments({"30"});
        QVERIFY(task.launch());
        QVERIFY(task.isRunning());
        task.interrupt();
        QTRY_COMPARE(run.statuses.size(), 1);
        QCOMPARE(run.statuses.first(), int(SIGINT));
    }

    void aToolThatCannotStartStillEndsOnce_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << false;
        QTest::newRow("not executable") << true;
    }
    void aToolThatCannotStartStillEndsOnce()
    {
        QFETCH(bool, exists);
        QTemporaryDir dir;
        const QString tool = dir.filePath("tool");
        if (exists) {
            QFile file(tool);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\nexit 0\n");
            file.close();
            QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
        }
        Task task;
        Run run;
        record(task, run);
        task.setLaunchPath(tool);
        task.launch();
        // Never reported from inside launch(): the caller is not re-entered.
        QVERIFY(run.statuses.isEmpty());
        QTRY_COMPARE(run.statuses.size(), 1);
        QCOMPARE(run.statuses.first(), Task::couldNotLaunchStatus);
        QTest::qWait(50);
        QCOMPARE(run.statuses.size(), 1);
        QVERIFY(!task.launch());
    }

    void theTerminationHandlerMayDestroyTheTask()
    {
        auto *task = new Task;
        QPointer<Task> guard(task);
        int ends = 0;
        task->setLaunchPath("/bin/true");
        task->setTerminationHandler([&](int) {
            ++ends;
            delete task;
        });
        QVERIFY(task->launch());
        QTRY_VERIFY(guard.isNull());
        QCOMPARE(ends, 1);
    }

    void destroyingARunningTaskEndsTheChild()
    {
        qint64 pid = 0;
        int ends = 0;
        {
            Task task;
            task.setLaunchPath("/bin/sleep");
            task.setArguments({"30"});
            task.setTerminationHandler([&](int) { ++ends; });
            QVERIFY(task.launch());
            pid = task.processIdentifier();
            QVERIFY(pid > 0);
        }
        QVERIFY(processGone(pid));
        QTest::qWait(20);
        QCOMPARE(ends, 0);
    }

    void detachedLaunchRunsWithoutWaiting()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath("ran");
        QVERIFY(Task::launchDetached("/bin/sh", {"-c", "sleep 0.2; touch \"$0\"", marker}));
        QVERIFY(!QFile::exists(marker));
        QTRY_VERIFY(QFile::exists(marker));
    }

    void detachedToolOutputGoesToTheDebugLogOnly()
    {
        static QStringList logged;
        logged.clear();
        QTemporaryFile terminal;
        QVERIFY(terminal.open());
        QLoggingCategory::setFilterRules(u"nimbrel.tools.debug=true"_s);
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &message) {
                // Only our tool's: a tool of an earlier case may end meanwhile.
                if (QByteArray(context.category) == "nimbrel.tools" && message.contains("no process found"))
                    logged << message;
            });
        // Our own standard output and error point at a file for the while.
        std::fflush(stdout);
        std::fflush(stderr);
        const int savedOut = ::dup(1);
        const int savedErr = ::dup(2);
        ::dup2(terminal.handle(), 1);
        ::dup2(terminal.handle(), 2);
        const bool started = Task::launchDetached(
            "/bin/sh", {"-c", "echo 'cfprefsd: no process found' >&2; echo 'Finder: no process found'; exit 1"});
        const bool ended = QTest::qWaitFor([] { return !logged.isEmpty(); }, 10000);
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(savedOut, 1);
        ::dup2(savedErr, 2);
        ::close(savedOut);
        ::close(savedErr);
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());

        QVERIFY(started);
        QVERIFY(ended);
        QCOMPARE(terminal.readAll(), QByteArray());
        QCOMPARE(logged.size(), 1);
        QVERIFY2(logged.first().contains("cfprefsd: no process found"), qPrintable(logged.first()));
        QVERIFY2(logged.first().contains("Finder: no process found"), qPrintable(logged.first()));
    }

    void launchRecorderTakesDetachedLaunches()
    {
        QTemporaryDir dir;
        const QString marker = dir.filePath("ran");
        QList<QPair<QString, QStringList>> launches;
        Task::setLaunchRecorder([&](const QString &path, const QStringList &arguments) {
            launches.append({path, arguments});
        });
        QVERIFY(Task::launchDetached("/bin/touch", {marker}));
        QCOMPARE(launches.size(), 1);
        QCOMPARE(launches.first().first, QString("/bin/touch"));
        QCOMPARE(launches.first().second, QStringList{marker});
        QTest::qWait(100);
        QVERIFY(!QFile::exists(marker));
    }

    void systemShredderPathMeansTheBundledTool()
    {
        const QString bundled = QDir(NIMBREL_TEST_BUNDLE).filePath("Contents/MacOS/qznb");
        QCOMPARE(QDir::cleanPath(Task::resolvedLaunchPath("/usr/bin/srm")), QDir::cleanPath(bundled));
        QCOMPARE(Task::resolvedLaunchPath("/usr/bin/killall"), QString("/usr/bin/killall"));

        // And a task started with that path really runs the bundled tool.
        QTemporaryDir dir;
        const QString victim = dir.filePath("victim");
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("secret");
        file.close();
        Task task;
        Run run;
        record(task, run);
        task.setLaunchPath("/usr/bin/srm");
        task.setArguments({"-f", "--", victim});
        QVERIFY(task.launch());
        QTRY_COMPARE(run.statuses.size(), 1);
        QCOMPARE(run.statuses.first(), 0);
        QVERIFY(!QFile::exists(victim));
    }
};

QTEST_GUILESS_MAIN(TestTask)
#include "tst_task.moc"
