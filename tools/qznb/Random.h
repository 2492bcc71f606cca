#pragma once

#include <cstddef>
#include <cstdint>

namespace qznb {

// Fast pseudo-random bytes for overwriting: four interleaved xoshiro256** streams seeded
// from the kernel. Not for keys; only for making old contents unrecoverable quickly.
class Random
{
public:
    // Seeds from getrandom(2), falling back to /dev/urandom. False when neither answers.
    bool seed();
    void fill(unsigned char *buffer, std::size_t length);
    std::uint64_t next();

private:
    static constexpr int Lanes = 4;
    std::uint64_t m_state[4][Lanes] = {};
};

} // namespace qznb
