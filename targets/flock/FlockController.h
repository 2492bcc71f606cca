#pragma once

#include "targets/chromiumlayout/ChromiumModuleController.h"
#include "targets/flock/FlockPrefsViewController.h"

// Flock's traces, kept in a Chromium-layout profile inside "User Data", with the shared
// "Local State" one level above the profile. Its Local Storage goes whole: it has no
// extensions' storage to keep.
class FlockController : public ChromiumLayoutModule<FlockPrefsViewController>
{
    Q_OBJECT
public:
    explicit FlockController(QObject *parent = nullptr);

    // Handler of "CleanFlock".
    void cleanFlock(const platform::Notification &request) { dispatchCleaningRequest(request); }

    static ChromiumPane pane();

private:
    QList<TraceRow> traceRows();
};
