#pragma once

#include "Passes.h"

#include <cstdint>
#include <vector>

namespace qznb {

class Disk;
class Random;
class Reporter;

// Overwrites an open regular file in place, pass after pass, over its whole logical length.
class Overwriter {
public:
    Overwriter(Random& random, Disk& disk) : m_random(random), m_disk(disk) {}
    ~Overwriter();
    Overwriter(const Overwriter&) = delete;
    Overwriter& operator=(const Overwriter&) = delete;

    bool allocate();
    // 0 on success, else an errno value; EINTR when a signal asked us to stop.
    int overwrite(int fd, std::uint64_t size, const std::vector<Pass>& passes, const Reporter& reporter);

    // A small file overwritten together with others; error is 0 or why it dropped out.
    struct Target {
        int fd = -1;
        std::uint64_t size = 0;
        int error = 0;
    };
    // Pass k goes over every target, one sync makes all of it durable, then pass k+1 begins, so
    // each pass of each file still reaches the disk before its next one at a fraction of the
    // syncs. Answers EINTR when a signal asked us to stop, else 0.
    int overwriteTogether(std::vector<Target>& targets, const std::vector<Pass>& passes);

    static constexpr std::size_t BlockSize = 1u << 20;

private:
    int writeBlock(int fd, const unsigned char* data, std::size_t length, std::uint64_t offset);
    int syncData(int fd);
    int syncTogether(std::vector<Target>& targets);

    Random& m_random;
    Disk& m_disk;
    unsigned char* m_buffer = nullptr;
};

} // namespace qznb
