#pragma once

#include "platform/system/Image.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <sys/types.h>

namespace platform {

// An application that is running: a process whose executable lies in a bundle's
// Contents/MacOS/ folder.
struct RunningApplication
{
    pid_t processIdentifier = 0;
    QString bundleIdentifier;
    QString bundlePath;
    QString localizedName;
    bool operator==(const RunningApplication &o) const { return processIdentifier == o.processIdentifier; }
};

// Applications on this machine. Bundles are looked for in the application folders below the
// system root (NIMBREL_SYSTEM_ROOT, default "/"): Applications, System/Applications,
// System/Library/CoreServices, and in ~/Applications.
//
// Launch and termination notices are posted on NotificationCenter::workspaceCenter() under
// the names and user-info keys below, found by polling while anyone observes them.
class Workspace
{
public:
    static inline const QString DidLaunchApplicationNotification =
        QStringLiteral("NSWorkspaceDidLaunchApplicationNotification");
    static inline const QString DidTerminateApplicationNotification =
        QStringLiteral("NSWorkspaceDidTerminateApplicationNotification");
    static inline const QString ApplicationBundleIdentifierKey = QStringLiteral("NSApplicationBundleIdentifier");
    static inline const QString ApplicationNameKey = QStringLiteral("NSApplicationName");
    static inline const QString ApplicationPathKey = QStringLiteral("NSApplicationPath");
    static inline const QString ApplicationProcessIdentifierKey = QStringLiteral("NSApplicationProcessIdentifier");

    static Workspace &sharedWorkspace();

    // The bundle whose Contents/Info.plist has this CFBundleIdentifier, compared without
    // regard to case; empty when there is none.
    QString absolutePathForAppBundleWithIdentifier(const QString &bundleIdentifier) const;
    // The bundle's CFBundleIconFile image, else a generic application icon. Never null.
    ImagePtr iconForFile(const QString &path) const;

    QList<RunningApplication> runningApplications() const;
    // The scan of the process table itself, whatever source the test seam has set.
    QList<RunningApplication> scanRunningApplications() const;
    QList<RunningApplication> runningApplicationsWithBundleIdentifier(const QString &identifier) const;
    bool isRunning(pid_t processIdentifier) const;

    bool openURL(const QUrl &url) const;
    bool activate() const { return true; }

    // Test seams, set only by tests.
    void setURLRecorder(std::function<void(const QUrl &)> recorder);
    // Like the recorder, but answers whether a browser took the page.
    void setURLOpener(std::function<bool(const QUrl &)> opener);
    void setRunningApplicationSource(std::function<QList<RunningApplication>()> source);
};

} // namespace platform
