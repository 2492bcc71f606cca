#pragma once

#include "Passes.h"

#include <cstdint>
#include <vector>

namespace qznb {

class Random;
class Reporter;

// Overwrites an open regular file in place, pass after pass, over its whole logical length.
class Overwriter {
public:
    explicit Overwriter(Random& random) : m_random(random) {}
    ~Overwriter();
    Overwriter(const Overwriter&) = delete;
    Overwriter& operator=(const Overwriter&) = delete;

    bool allocate();
    // 0 on success, else an errno value; EINTR when a signal asked us to stop.
    int overwrite(int fd, std::uint64_t size, const std::vector<Pass>& passes, const Reporter& reporter);

    static constexpr std::size_t BlockSize = 1u << 20;

private:
    int writeBlock(int fd, const unsigned char* data, std::size_t length, std::uint64_t offset);

    Random& m_random;
    unsigned char* m_buffer = nullptr;
};

} // namespace qznb
