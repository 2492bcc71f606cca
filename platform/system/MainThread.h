#pragma once

#include <functional>

namespace platform {

// The main thread is the Qt GUI thread.
class MainThread
{
public:
    static bool isMainThread();
    // Runs fn on the main thread and returns when it has run (directly when already there).
    static void performAndWait(const std::function<void()> &fn);
    // Queues fn to run on the main thread's event loop.
    static void dispatch(std::function<void()> fn);
};

} // namespace platform
