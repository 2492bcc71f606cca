#pragma once

#include <string>
#include <vector>

namespace qznb {

enum class Level { Simple, Medium, Gutmann };

struct Options
{
    bool verbose = false;
    bool force = false;
    bool recursive = false;
    Level level = Level::Gutmann;
    std::vector<std::string> paths;
};

// Parses `qznb [-v] [-f] [-s | -m] [-r] [--] PATH...`; flags may be grouped ("-vfr").
// Options end at "--" or at the first operand. On failure `error` says why.
bool parseOptions(int argc, const char *const *argv, Options &options, std::string &error);

const char *usageText();

} // namespace qznb
