#include "Options.h"

#include <cstring>

namespace qznb {

const char *usageText()
{
    return "usage: qznb [-v] [-f] [-s | -m] [-r] [--] PATH...\n";
}

bool parseOptions(int argc, const char *const *argv, Options &options, std::string &error)
{
    options = Options();
    bool levelSeen = false;
    int i = 1;
    for (; i < argc; ++i) {
        const char *arg = argv[i];
        if (std::strcmp(arg, "--") == 0) {
            ++i;
            break;
        }
        // A lone "-" is a file name, as everywhere else.
        if (arg[0] != '-' || arg[1] == '\0')
            break;
        for (const char *c = arg + 1; *c; ++c) {
            switch (*c) {
            case 'v':
                options.verbose = true;
                break;
            case 'f':
                options.force = true;
                break;
            case 'r':
            case 'R':
                options.recursive = true;
                break;
            case 's':
            case 'm': {
                const Level level = *c == 's' ? Level::Simple : Level::Medium;
                if (levelSeen && options.level != level) {
                    error = "-s and -m cannot be combined";
                    return false;
                }
                options.level = level;
                levelSeen = true;
                break;
            }
            default:
                error = std::string("unknown option -- ") + *c;
                return false;
            }
        }
    }
    for (; i < argc; ++i)
        options.paths.emplace_back(argv[i]);
    if (options.paths.empty()) {
        error = "no path given";
        return false;
    }
    return true;
}

} // namespace qznb
