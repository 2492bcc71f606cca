#include "Random.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

namespace qznb {

namespace {

inline std::uint64_t rotl(std::uint64_t x, int k)
{
    return (x << k) | (x >> (64 - k));
}

bool readKernelBytes(void *out, std::size_t length)
{
    auto *bytes = static_cast<unsigned char *>(out);
    std::size_t got = 0;
    while (got < length) {
        const ssize_t n = getrandom(bytes + got, length - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (got == length)
        return true;

    const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    while (got < length) {
        const ssize_t n = read(fd, bytes + got, length - got);
        if (n > 0)
            got += static_cast<std::size_t>(n);
        else if (!(n < 0 && errno == EINTR))
            break;
    }
    close(fd);
    return got == length;
}

} // namespace

bool Random::seed()
{
    if (!readKernelBytes(m_state, sizeof m_state))
        return false;
    // An all-zero state would stay zero forever.
    for (int lane = 0; lane < Lanes; ++lane) {
        if ((m_state[0][lane] | m_state[1][lane] | m_state[2][lane] | m_state[3][lane]) == 0)
            m_state[0][lane] = 0x9E3779B97F4A7C15ull + static_cast<std::uint64_t>(lane);
    }
    return true;
}

std::uint64_t Random::next()
{
    std::uint64_t *s0 = m_state[0];
    std::uint64_t *s1 = m_state[1];
    std::uint64_t *s2 = m_state[2];
    std::uint64_t *s3 = m_state[3];
    const std::uint64_t result = rotl(s1[0] * 5, 7) * 9;
    const std::uint64_t t = s1[0] << 17;
    s2[0] ^= s0[0];
    s3[0] ^= s1[0];
    s1[0] ^= s2[0];
    s0[0] ^= s3[0];
    s2[0] ^= t;
    s3[0] = rotl(s3[0], 45);
    return result;
}

void Random::fill(unsigned char *buffer, std::size_t length)
{
    // The lanes are independent, so the compiler can keep them all in flight at once.
    std::uint64_t s0[Lanes], s1[Lanes], s2[Lanes], s3[Lanes];
    std::memcpy(s0, m_state[0], sizeof s0);
    std::memcpy(s1, m_state[1], sizeof s1);
    std::memcpy(s2, m_state[2], sizeof s2);
    std::memcpy(s3, m_state[3], sizeof s3);

    constexpr std::size_t Chunk = sizeof(std::uint64_t) * Lanes;
    std::uint64_t out[Lanes];
    std::size_t offset = 0;
    while (offset < length) {
        for (int lane = 0; lane < Lanes; ++lane) {
            out[lane] = rotl(s1[lane] * 5, 7) * 9;
            const std::uint64_t t = s1[lane] << 17;
            s2[lane] ^= s0[lane];
            s3[lane] ^= s1[lane];
            s1[lane] ^= s2[lane];
            s0[lane] ^= s3[lane];
            s2[lane] ^= t;
            s3[lane] = rotl(s3[lane], 45);
        }
        const std::size_t n = length - offset < Chunk ? length - offset : Chunk;
        std::memcpy(buffer + offset, out, n);
        offset += n;
    }

    std::memcpy(m_state[0], s0, sizeof s0);
    std::memcpy(m_state[1], s1, sizeof s1);
    std::memcpy(m_state[2], s2, sizeof s2);
    std::memcpy(m_state[3], s3, sizeof s3);
}

} // namespace qznb
