// qznb: overwrites files before removing them. Driven by the removal engine with
// "-v -f [-s|-m] [-r] -- PATH"; see Reporter.h for the verbose output it parses.
#include "Disk.h"
#include "Interrupt.h"
#include "Options.h"
#include "Overwriter.h"
#include "Random.h"
#include "Remover.h"
#include "Reporter.h"

#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Each folder level holds one descriptor while its contents are removed.
void raiseDescriptorLimit()
{
    struct rlimit limit = {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void writeError(const std::string &text)
{
    const std::string line = "qznb: " + text + "\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, line.data(), line.size());
}

} // namespace

int main(int argc, char **argv)
{
    qznb::installSignalHandlers();
    if (!qznb::endWithParent())
        return qznb::interruptStatus();

    qznb::Options options;
    std::string error;
    if (!qznb::parseOptions(argc, argv, options, error)) {
        writeError(error);
        const std::string usage = qznb::usageText();
        [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, usage.data(), usage.size());
        return 64;
    }

    qznb::Random random;
    if (!random.seed()) {
        writeError("cannot obtain random numbers from the system");
        return 1;
    }
    qznb::Disk disk;
    qznb::Overwriter overwriter(random, disk);
    if (!overwriter.allocate()) {
        writeError("out of memory");
        return 1;
    }
    raiseDescriptorLimit();

    const qznb::Reporter reporter(options.verbose);
    qznb::Remover remover(options, reporter, overwriter, random, disk);
    bool ok = true;
    for (const std::string &path : options.paths) {
        if (qznb::interrupted())
            break;
        if (!remover.removePath(path))
            ok = false;
    }
    if (qznb::interrupted())
        return qznb::interruptStatus();
    return ok ? 0 : 1;
}
