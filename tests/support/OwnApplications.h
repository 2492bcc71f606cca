#pragma once

#include "platform/system/Workspace.h"

#include <QString>

// Test programs run side by side: only applications started from `root` (a fake system
// root, ending in "/") count as running, never another program's fake Safari, whose alert
// would hold up a scan or a clean.
inline void countOnlyApplicationsUnder(const QString &root)
{
    platform::Workspace &workspace = platform::Workspace::sharedWorkspace();
    workspace.setRunningApplicationSource([&workspace, root] {
        QList<platform::RunningApplication> ours;
        for (const platform::RunningApplication &app : workspace.scanRunningApplications())
            if (app.bundlePath.startsWith(root))
                ours.append(app);
        return ours;
    });
}
