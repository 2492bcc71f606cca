#pragma once

#include "Passes.h"
#include "Random.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace qznb {

class Disk;
class Reporter;

// Overwrites an open regular file in place, pass after pass, over every stretch that holds
// data; the holes of a sparse file are left holes.
class Overwriter
{
public:
    Overwriter(Random &random, Disk &disk)
        : m_random(random)
        , m_disk(disk)
    {}
    ~Overwriter();
    Overwriter(const Overwriter &) = delete;
    Overwriter &operator=(const Overwriter &) = delete;

    bool allocate();
    // 0 on success, else an errno value; EINTR when a signal asked us to stop.
    int overwrite(int fd, std::uint64_t size, const std::vector<Pass> &passes, const Reporter &reporter);

    // A small file overwritten together with others; error is 0 or why it dropped out.
    struct Target
    {
        int fd = -1;
        std::uint64_t size = 0;
        int error = 0;
        bool holes = true; // may have holes: its data is looked up stretch by stretch
    };
    // Pass k goes over every target, one sync makes all of it durable, then pass k+1 begins, so
    // each pass of each file still reaches the disk before its next one at a fraction of the
    // syncs. Answers EINTR when a signal asked us to stop, else 0.
    int overwriteTogether(std::vector<Target> &targets, const std::vector<Pass> &passes);

    static constexpr std::size_t BlockSize = 1u << 20;

private:
    // What a helper thread needs to write its share of a pass: a block and random stream of its own.
    struct Lane
    {
        Random random;
        unsigned char *buffer = nullptr;
    };
    static constexpr std::size_t WriteThreads = 4;
    static constexpr std::size_t FilesPerThread = 256;

    static unsigned char *allocateBlock();
    void writePass(std::vector<Target> &targets, const Pass &pass);
    // One pass over the data of a file; `wrote` hears of each block (its end and length).
    int writeData(int fd, std::uint64_t size, bool holes, const Pass &pass, Random &random, unsigned char *buffer,
                  const std::function<void(std::uint64_t, std::size_t)> &wrote);
    int writeBlock(int fd, const unsigned char *data, std::size_t length, std::uint64_t offset);
    int syncData(int fd);
    int syncTogether(std::vector<Target> &targets);

    Random &m_random;
    Disk &m_disk;
    unsigned char *m_buffer = nullptr;
    std::vector<Lane> m_lanes;
};

} // namespace qznb
