#include "ui/summary/DaemonRestarts.h"

#include "platform/Task.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex toolMutex;
QString &tool()
{
    static QString path = QStringLiteral("/usr/bin/killall");
    return path;
}

} // namespace

bool DaemonRestarts::cfprefsdApplies(int gestaltMajor, int gestaltMinor)
{
    return gestaltMajor > 10 || (gestaltMajor == 10 && gestaltMinor > 8);
}

bool DaemonRestarts::sharedfilelistdApplies(const std::optional<platform::OperatingSystemVersion> &version)
{
    return version && version->majorVersion == 10 && version->minorVersion >= 11;
}

bool DaemonRestarts::cfprefsdAppliesHere()
{
    using platform::Gestalt;
    return cfprefsdApplies(Gestalt::value(Gestalt::gestaltSystemVersionMajor),
                           Gestalt::value(Gestalt::gestaltSystemVersionMinor));
}

bool DaemonRestarts::sharedfilelistdAppliesHere()
{
    return sharedfilelistdApplies(platform::ProcessInfo::processInfo().operatingSystemVersion());
}

bool DaemonRestarts::restart(const QString &daemon)
{
    return platform::Task::launchDetached(toolPath(), {QStringLiteral("-SIGTERM"), daemon});
}

QString DaemonRestarts::toolPath()
{
    QMutexLocker lock(&toolMutex);
    return tool();
}

void DaemonRestarts::setToolPath(const QString &path)
{
    QMutexLocker lock(&toolMutex);
    tool() = path;
}
