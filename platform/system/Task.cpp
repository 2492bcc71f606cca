#include "platform/system/Task.h"

#include "platform/system/Bundle.h"
#include "platform/system/MainThread.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QMutex>
#include <QProcess>

#include <csignal>
#include <fcntl.h>
#include <sys/types.h>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

QMutex recorderMutex;
Task::LaunchRecorder &launchRecorder()
{
    static Task::LaunchRecorder recorder;
    return recorder;
}

// What the detached tools say ("killall: no process found" when a daemon is not running,
// which is no fault here) is kept for the debug log instead of reaching our terminal.
Q_LOGGING_CATEGORY(toolOutput, "nimbrel.tools", QtInfoMsg)

// Started on the main thread, whose loop reads the output; the process object goes away when
// the tool ends (or with the application).
bool startCapturingOutput(const QString &path, const QStringList &arguments)
{
    auto *process = new QProcess(QCoreApplication::instance());
    process->setProgram(Task::resolvedLaunchPath(path));
    process->setArguments(arguments);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setChildProcessModifier([] {}); // a plain fork(), as in Task::launch()
    const QString command = QStringList(QStringList{path} + arguments).join(QLatin1Char(' '));
    QObject::connect(process, &QProcess::finished, process, [process, command](int exitCode, QProcess::ExitStatus) {
        qCDebug(toolOutput).noquote() << command << "ended with" << exitCode << ":"
                                      << QString::fromLocal8Bit(process->readAll()).trimmed();
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, command](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        qCDebug(toolOutput).noquote() << command << "could not be started";
        process->deleteLater();
    });
    process->start(QIODevice::ReadOnly);
    return process->waitForStarted();
}

} // namespace

Task::Task(QObject *parent)
    : QObject(parent)
{}

Task::~Task()
{
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->disconnect(this);
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

void Task::setLaunchPath(const QString &path)
{
    m_launchPath = path;
}
QString Task::launchPath() const
{
    return m_launchPath;
}
void Task::setArguments(const QStringList &arguments)
{
    m_arguments = arguments;
}
QStringList Task::arguments() const
{
    return m_arguments;
}
void Task::setEnvironmentValue(const QString &name, const QString &value)
{
    m_environment.append({name, value});
}
void Task::setStandardOutputHandler(OutputHandler handler)
{
    m_outputHandler = std::move(handler);
}
void Task::setTerminationHandler(TerminationHandler handler)
{
    m_terminationHandler = std::move(handler);
}

bool Task::launch()
{
    if (m_launched)
        return false;
    m_launched = true;

    m_process = new QProcess(this);
    m_process->setProgram(resolvedLaunchPath(m_launchPath));
    m_process->setArguments(m_arguments);
    if (!m_environment.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, value] : std::as_const(m_environment))
            environment.insert(name, value);
        m_process->setProcessEnvironment(environment);
    }
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setReadChannel(QProcess::StandardOutput);
    // A modifier makes QProcess start the child with a plain fork(): its shared-memory
    // start-up would otherwise leave the parent looking like a forked child to the thread
    // checker, which then refuses every later thread.
    // In the child, between fork and exec: only async-signal-safe calls.
    m_process->setChildProcessModifier([fd = m_inheritedFd] {
        if (fd >= 0)
            fcntl(fd, F_SETFD, 0);
    });

    connect(m_process, &QProcess::readyReadStandardOutput, this, [this] { readOutput(false); });
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus) {
        // Whatever is still buffered belongs before the end. For a child ended by a signal
        // the exit code is that signal's number.
        readOutput(true);
        finish(exitCode);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish(couldNotLaunchStatus);
    });

    m_process->start(QIODevice::ReadWrite);
    return !m_finished && m_process->state() != QProcess::NotRunning;
}

void Task::interrupt()
{
    if (isRunning() && m_process->processId() > 0)
        ::kill(pid_t(m_process->processId()), SIGINT);
}

bool Task::isRunning() const
{
    return m_process && !m_finished && m_process->state() != QProcess::NotRunning;
}

int Task::terminationStatus() const
{
    return m_finished ? m_status : 0;
}

qint64 Task::processIdentifier() const
{
    return m_process ? m_process->processId() : 0;
}

void Task::readOutput(bool flushAll)
{
    while (m_process->canReadLine()) {
        const QByteArray line = m_process->readLine();
        if (!line.isEmpty() && m_outputHandler)
            m_outputHandler(line);
    }
    if (flushAll) {
        const QByteArray rest = m_process->readAll();
        if (!rest.isEmpty() && m_outputHandler)
            m_outputHandler(rest);
    }
}

void Task::finish(int status)
{
    if (m_finished)
        return;
    m_finished = true;
    m_status = status;
    // Queued, so the handler never runs inside launch() or inside QProcess's own signal, and
    // may delete this object. A Task destroyed before then drops the call.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const TerminationHandler handler = m_terminationHandler;
            if (handler)
                handler(m_status);
        },
        Qt::QueuedConnection);
}

bool Task::launchDetached(const QString &path, const QStringList &arguments)
{
    LaunchRecorder recorder;
    {
        QMutexLocker lock(&recorderMutex);
        recorder = launchRecorder();
    }
    if (recorder) {
        recorder(path, arguments);
        return true;
    }
    if (MainThread::isMainThread())
        return startCapturingOutput(path, arguments);
    MainThread::dispatch([path, arguments] { startCapturingOutput(path, arguments); });
    return true;
}

QString Task::resolvedLaunchPath(const QString &path)
{
#ifndef Q_OS_MACOS
    if (path == QLatin1String("/usr/bin/srm"))
        return Bundle::mainBundle().executablePath(u"qznb"_s);
#endif
    return path;
}

void Task::setLaunchRecorder(LaunchRecorder recorder)
{
    QMutexLocker lock(&recorderMutex);
    launchRecorder() = std::move(recorder);
}

} // namespace platform
