#pragma once

#include "platform/system/ProcessInfo.h"

#include <QString>

#include <optional>

// Restarting the system daemons that cache what the modules just rewrote: the preferences
// daemon and the shared file list daemon, through the restart tool.
class DaemonRestarts
{
public:
    // From the operating-system version: 10.11 up to the last 10.x; unknown is no.
    static bool sharedfilelistdApplies(const std::optional<platform::OperatingSystemVersion> &version);

    // Whether each applies on this machine; the preferences daemon from 10.9 on.
    static bool cfprefsdAppliesHere();
    static bool sharedfilelistdAppliesHere();

    // Sends SIGTERM to every process of that name through the restart tool.
    static bool restart(const QString &daemon);
};
