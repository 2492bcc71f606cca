#include "Interrupt.h"

#include <csignal>

namespace qznb {

namespace {

volatile std::sig_atomic_t g_signal = 0;

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
    return 128 + static_cast<int>(g_signal);
}

} // namespace qznb
