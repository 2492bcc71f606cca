#pragma once

#include "Options.h"

#include <cstddef>
#include <vector>

namespace qznb {

// One overwrite pass: fresh random data, or a 3-byte pattern repeated from the start of the file.
struct Pass
{
    bool random = false;
    unsigned char pattern[3] = {0, 0, 0};
};

std::vector<Pass> passesFor(Level level);

// Fills `buffer` with the pattern as it lies from file offset `phase` on (phase 0..2).
void fillPattern(const Pass &pass, unsigned char *buffer, std::size_t length, std::size_t phase = 0);

} // namespace qznb
