#include "ui/summary/DaemonRestarts.h"

#include "core/RestartTool.h"

bool DaemonRestarts::sharedfilelistdApplies(const std::optional<platform::OperatingSystemVersion> &version)
{
    return version && version->majorVersion == 10 && version->minorVersion >= 11;
}

bool DaemonRestarts::cfprefsdAppliesHere()
{
    return platform::Gestalt::isTenNineOrLater();
}

bool DaemonRestarts::sharedfilelistdAppliesHere()
{
    return sharedfilelistdApplies(platform::ProcessInfo::processInfo().operatingSystemVersion());
}

bool DaemonRestarts::restart(const QString &daemon)
{
    return RestartTool::signal(daemon, RestartTool::Signal::Term);
}
