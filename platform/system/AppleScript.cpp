#include "platform/system/AppleScript.h"

#include <QFileInfo>
#include <QMutex>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

QMutex seamMutex;
AppleScript::Runner &runnerSeam()
{
    static AppleScript::Runner runner;
    return runner;
}
QString &enginePathSeam()
{
    static QString path;
    return path;
}

// System Events may take a while to start, but a script that never ends must not hold the
// cleaning run for ever.
constexpr int scriptTimeoutMs = 60 * 1000;
constexpr qint64 resultSizeCap = 64 * 1024;

std::optional<QString> runEngine(const QString &engine, const QString &source)
{
    const QFileInfo info(engine);
    if (!info.isFile() || !info.isExecutable())
        return std::nullopt;
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(engine, {u"-e"_s, source});
    if (!process.waitForStarted())
        return std::nullopt;
    if (!process.waitForFinished(scriptTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    // The engine prints the result followed by one line end.
    QString text = QString::fromUtf8(process.read(resultSizeCap));
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

} // namespace

AppleScript::AppleScript(const QString &source)
    : m_source(source)
{}

std::optional<QString> AppleScript::executeAndReturnError() const
{
    Runner runner;
    {
        QMutexLocker lock(&seamMutex);
        runner = runnerSeam();
    }
    if (runner)
        return runner(m_source);
    return runEngine(enginePath(), m_source);
}

QString AppleScript::enginePath()
{
    QMutexLocker lock(&seamMutex);
    const QString path = enginePathSeam();
    return path.isEmpty() ? u"/usr/bin/osascript"_s : path;
}

void AppleScript::setRunner(Runner runner)
{
    QMutexLocker lock(&seamMutex);
    runnerSeam() = std::move(runner);
}

void AppleScript::setEnginePath(const QString &path)
{
    QMutexLocker lock(&seamMutex);
    enginePathSeam() = path;
}

} // namespace platform
