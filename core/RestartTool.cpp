#include "core/RestartTool.h"

#include "platform/Task.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

namespace {

QMutex toolMutex;
QString &tool()
{
    static QString path = QStringLiteral("/usr/bin/killall");
    return path;
}

} // namespace

bool RestartTool::signal(const QString &process, Signal signal)
{
    QStringList arguments;
    if (signal == Signal::Term)
        arguments << QStringLiteral("-SIGTERM");
    else if (signal == Signal::Kill)
        arguments << QStringLiteral("-KILL");
    arguments << process;
    return platform::Task::launchDetached(toolPath(), arguments);
}

QString RestartTool::toolPath()
{
    QMutexLocker lock(&toolMutex);
    return tool();
}

void RestartTool::setToolPath(const QString &path)
{
    QMutexLocker lock(&toolMutex);
    tool() = path;
}
