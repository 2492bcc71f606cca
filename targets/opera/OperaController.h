#pragma once

#include "targets/chromiumlayout/ChromiumModuleController.h"
#include "targets/opera/OperaPrefsViewController.h"

// Opera's traces, of two generations: the current browser's Chromium-layout profile, and
// what the older Opera kept under Library/Opera, Library/Caches/Opera and its pstorage
// folder (the "Legacy" rows). Its Local Storage keeps the browser's own start-page and
// discovery storage as well as the extensions'.
class OperaController : public ChromiumLayoutModule<OperaPrefsViewController>
{
    Q_OBJECT
public:
    explicit OperaController(QObject *parent = nullptr);

    // Handler of "CleanOpera".
    void cleanOpera(const platform::Notification &request) { dispatchCleaningRequest(request); }

    static ChromiumPane pane();

private:
    QList<TraceRow> traceRows();
};
