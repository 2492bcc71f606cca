#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QProcess;

namespace platform {

// A child process. Two ways to use it:
//  - launchDetached(): start a tool and forget it (daemon restarts); nothing is waited for.
//  - a Task object: a child whose standard output is handed over on the main loop in chunks,
//    that can be interrupted, and whose end is reported once with its exit status.
//
// Standard output is read in whole lines: each read hands over every complete line (with its
// line end) as a chunk of its own, so a reader that looks at a chunk's start and end sees one
// line at a time however fast the tool writes. An unfinished last line is handed over when the
// output ends. Standard error is not redirected (it goes where the application's goes);
// standard input is a pipe nothing is written to.
//
// Every object must be used on the main thread.
class Task : public QObject
{
    Q_OBJECT
public:
    using OutputHandler = std::function<void(const QByteArray &chunk)>;
    using TerminationHandler = std::function<void(int terminationStatus)>;
    using LaunchRecorder = std::function<void(const QString &path, const QStringList &arguments)>;

    // Status reported when the child could not be started at all (missing or not executable),
    // as a shell reports a command it cannot run.
    static constexpr int couldNotLaunchStatus = 127;

    explicit Task(QObject *parent = nullptr);
    // A child still running is killed and reaped; no handler is called any more.
    ~Task() override;

    void setLaunchPath(const QString &path);
    QString launchPath() const;
    void setArguments(const QStringList &arguments);
    QStringList arguments() const;
    // One more variable in the child's environment (which is otherwise ours).
    void setEnvironmentValue(const QString &name, const QString &value);
    // An open descriptor the child keeps under the same number (it names it to the tool as
    // /proc/self/fd/N); the caller still owns it and may close it once launch() returns.
    void setInheritedDescriptor(int fd) { m_inheritedFd = fd; }

    // Called on the main loop for every chunk of standard output (never empty).
    void setStandardOutputHandler(OutputHandler handler);
    // Called once on the main loop after the child has ended and all of its output has been
    // handed over, or after a launch that failed. Never called from inside launch(), so the
    // handler may destroy the Task.
    void setTerminationHandler(TerminationHandler handler);

    // Starts the child (one launch per object). False when it could not be started; the
    // termination handler is then still called, with couldNotLaunchStatus.
    bool launch();
    // Sends the interrupt signal (SIGINT) to a running child.
    void interrupt();
    bool isRunning() const;
    // The exit code of a child that exited, the signal number of one that a signal ended,
    // couldNotLaunchStatus when it never ran; 0 before the end.
    int terminationStatus() const;
    qint64 processIdentifier() const;

    // Starts a tool without waiting for it. Its output (both streams) is captured and written
    // to the debug log of "nimbrel.tools" when it ends; off the main thread the start is handed
    // to the main loop. Goes to the launch recorder instead when one is set.
    static bool launchDetached(const QString &path, const QStringList &arguments);

    // The path actually started for a tool path. The system's "/usr/bin/srm" takes another
    // command line on this system, so it stands for the bundle's own secure-removal tool.
    static QString resolvedLaunchPath(const QString &path);

    // Test seam: detached launches are handed to the recorder and not run. An empty
    // recorder restores real launches.
    static void setLaunchRecorder(LaunchRecorder recorder);

private:
    void readOutput(bool flushAll);
    void finish(int status);

    QString m_launchPath;
    QStringList m_arguments;
    QList<std::pair<QString, QString>> m_environment;
    OutputHandler m_outputHandler;
    TerminationHandler m_terminationHandler;
    QProcess *m_process = nullptr;
    int m_inheritedFd = -1;
    bool m_launched = false;
    bool m_finished = false;
    int m_status = 0;
};

} // namespace platform
