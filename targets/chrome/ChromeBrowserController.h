#pragma once

#include "targets/chrome/ChromeParameters.h"
#include "targets/chromiumlayout/ChromiumModuleController.h"

// Chrome's traces, for whichever of Chrome or Chromium the parameters name: history and its
// segments, archived history, the monthly history indexes, visited links, caches, cookies,
// downloads and their URL chains, Flash cookies, form values, the last session, recent
// searches, webpage icons and the sites' Local Storage (extensions' storage stays).
class ChromeBrowserController : public ChromiumModuleController
{
    Q_OBJECT
public:
    // What the pane of the module with these parameters shows.
    static ChromiumPane paneOf(const ChromeParameters &parameters);

protected:
    explicit ChromeBrowserController(const ChromeParameters &parameters, QObject *parent = nullptr);

private:
    static ChromiumSwitches switchesFor(const QString &name);
    QList<TraceRow> traceRows();

    ChromeParameters m_parameters;
};
