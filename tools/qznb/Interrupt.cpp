#include "Interrupt.h"

#include <atomic>
#include <csignal>

namespace qznb {

namespace {

// Read by the helper threads too; a lock-free atomic is safe to set from a handler.
std::atomic<int> g_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

void onSignal(int signal)
{
    if (g_signal == 0)
        g_signal = signal;
}

} // namespace

void installSignalHandlers()
{
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking call should return so the flag is seen at once.
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);

    // The reader of our progress may go away; the removal itself must not die with it.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

bool interrupted()
{
    return g_signal != 0;
}

int interruptStatus()
{
    return 128 + g_signal;
}

} // namespace qznb
