#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace platform {

// A script text, compiled and run once (NSAppleScript). The script engine is the system's
// "osascript"; where it is missing every script gives no result. Running blocks the calling
// thread until the script has ended, so it belongs on a worker, never on the main thread of
// a window that must stay responsive.
class AppleScript
{
public:
    // Answers a script's source with its result's text, or nothing.
    using Runner = std::function<std::optional<QString>(const QString &source)>;

    explicit AppleScript(const QString &source);

    QString source() const { return m_source; }

    // The text of the script's result; nothing when it failed, gave no result or no script
    // engine answered. Errors are not reported otherwise.
    std::optional<QString> executeAndReturnError() const;

    // Where the script engine is looked for.
    static QString enginePath();

    // Test seams: a runner answers every script in place of the engine; an engine path
    // points at another program taking the engine's command line ("-e" and the source).
    // Empty values restore the defaults.
    static void setRunner(Runner runner);
    static void setEnginePath(const QString &path);

private:
    QString m_source;
};

} // namespace platform
