#include "Interrupt.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <sys/prctl.h>
#include <unistd.h>

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

bool endWithParent()
{
    if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0)
        return true; // nothing more can be done; a tool run by hand goes on
    // Checked after the request: a parent that went before it was made is seen here.
    const char *expected = std::getenv("NIMBREL_PARENT_PID");
    if (!expected || !*expected)
        return true;
    char *end = nullptr;
    const long pid = std::strtol(expected, &end, 10);
    if (*end != '\0' || pid <= 0 || pid == long(getppid()))
        return true;
    g_signal = SIGTERM;
    return false;
}

} // namespace qznb
