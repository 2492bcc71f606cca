#include "core/RestartTool.h"

#include "platform/system/Task.h"

#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

QMutex toolMutex;
QString &tool()
{
    static QString path = u"/usr/bin/killall"_s;
    return path;
}

} // namespace

bool RestartTool::signal(const QString &process, Signal signal)
{
    QStringList arguments;
    if (signal == Signal::Term)
        arguments << u"-SIGTERM"_s;
    else if (signal == Signal::Kill)
        arguments << u"-KILL"_s;
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
