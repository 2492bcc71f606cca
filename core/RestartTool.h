#pragma once

#include <QString>

// The one place that stops system processes so that they start afresh and drop what they
// cached (the system starts its daemons and the Finder again by itself). The tool,
// "/usr/bin/killall", is started and not waited for; its exit status means nothing to us.
class RestartTool
{
public:
    enum class Signal {
        Default, // the tool's own (a polite quit)
        Term,    // "-SIGTERM"
        Kill,    // "-KILL": for a process that would write its cache back on the way out
    };

    // Sends `signal` to every process named `process`; false when the tool did not start.
    static bool signal(const QString &process, Signal signal);

    // The tool started. Test seam: tests point it at a harmless program. Any thread.
    static QString toolPath();
    static void setToolPath(const QString &path);
};
