#pragma once

#include "platform/ProcessInfo.h"

#include <QString>

#include <optional>

// Restarting the system daemons that cache what the modules just rewrote: the preferences
// daemon and the shared file list daemon. The tool is started and not waited for; its exit
// status means nothing to us.
class DaemonRestarts
{
public:
    // From the legacy version query: 10.9 and later (11 included). An unknown version (0) is no.
    static bool cfprefsdApplies(int gestaltMajor, int gestaltMinor);
    // From the operating-system version: 10.11 up to the last 10.x; unknown is no.
    static bool sharedfilelistdApplies(const std::optional<platform::OperatingSystemVersion> &version);

    // Whether each applies on this machine.
    static bool cfprefsdAppliesHere();
    static bool sharedfilelistdAppliesHere();

    // Sends SIGTERM to every process of that name through the restart tool.
    static bool restart(const QString &daemon);

    // The restart tool, "/usr/bin/killall". Tests point it at a harmless program.
    static QString toolPath();
    static void setToolPath(const QString &path);
};
