#include "Overwriter.h"

#include "Disk.h"
#include "Interrupt.h"
#include "Random.h"
#include "Reporter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace qznb {

namespace {

// How much freshly written data we let pile up before asking the kernel to start writing it
// out; the disk then works while we generate the next blocks instead of all at the final sync.
constexpr std::uint64_t WritebackStride = 8u << 20;

void startWriteback(int fd, std::uint64_t from, std::uint64_t to)
{
    sync_file_range(fd, static_cast<off_t>(from), static_cast<off_t>(to - from), SYNC_FILE_RANGE_WRITE);
}

// The next stretch of the file that holds data, at or after `from` and before `size`; false
// when only holes are left. A hole holds none of the file's old data, and writing it would
// allocate it: a large sparse file could fill its disk.
bool nextData(int fd, std::uint64_t from, std::uint64_t size, std::uint64_t &begin, std::uint64_t &end)
{
    if (from >= size)
        return false;
    const off_t data = lseek(fd, static_cast<off_t>(from), SEEK_DATA);
    if (data < 0) {
        if (errno == ENXIO)
            return false; // a hole up to the end
        begin = from;     // the file system cannot tell: all of it is data
        end = size;
        return true;
    }
    if (static_cast<std::uint64_t>(data) >= size)
        return false;
    const off_t hole = lseek(fd, data, SEEK_HOLE);
    begin = static_cast<std::uint64_t>(data);
    end = hole < 0 || static_cast<std::uint64_t>(hole) > size ? size : static_cast<std::uint64_t>(hole);
    return begin < end;
}

// Whether the file has fewer blocks than its length needs; only then are its holes looked for,
// which costs a few calls per stretch and pass.
bool mayHaveHoles(int fd, std::uint64_t size)
{
    struct stat info = {};
    return fstat(fd, &info) != 0 || static_cast<std::uint64_t>(info.st_blocks) * 512 < size;
}

std::uint64_t dataBytes(int fd, std::uint64_t size)
{
    std::uint64_t total = 0;
    std::uint64_t begin = 0;
    for (std::uint64_t end = 0; nextData(fd, end, size, begin, end);)
        total += end - begin;
    return total;
}

} // namespace

int Overwriter::syncData(int fd)
{
    for (;;) {
        if (m_disk.syncData(fd) == 0)
            return 0;
        if (errno != EINTR || interrupted())
            return errno;
    }
}

int Overwriter::syncTogether(std::vector<Target> &targets)
{
    Target *first = nullptr;
    for (Target &target : targets) {
        if (target.error == 0) {
            first = &target;
            break;
        }
    }
    if (!first)
        return 0;
    // The files of a batch lie in one folder, so one file-system sync covers them all. When it
    // fails we cannot tell whose data was lost: each file's own sync then says.
    if (m_disk.syncFileSystem(first->fd) == 0)
        return 0;
    for (Target &target : targets) {
        if (target.error != 0)
            continue;
        target.error = syncData(target.fd);
        if (target.error == EINTR && interrupted())
            return EINTR;
    }
    return 0;
}

Overwriter::~Overwriter()
{
    std::free(m_buffer);
    for (const Lane &lane : m_lanes)
        std::free(lane.buffer);
}

unsigned char *Overwriter::allocateBlock()
{
    void *memory = nullptr;
    // A little slack past the block lets pattern passes start at any of the 3 phases.
    if (posix_memalign(&memory, 4096, BlockSize + 64) != 0)
        return nullptr;
    return static_cast<unsigned char *>(memory);
}

bool Overwriter::allocate()
{
    if (m_buffer)
        return true;
    m_buffer = allocateBlock();
    if (!m_buffer)
        return false;
    // The helpers' lanes are a bonus: without them the calling thread writes everything.
    m_lanes.reserve(WriteThreads - 1);
    while (m_lanes.size() < WriteThreads - 1) {
        Lane lane;
        lane.buffer = allocateBlock();
        if (!lane.buffer)
            break;
        if (!lane.random.seed()) {
            std::free(lane.buffer);
            break;
        }
        m_lanes.push_back(lane);
    }
    return true;
}

int Overwriter::writeBlock(int fd, const unsigned char *data, std::size_t length, std::uint64_t offset)
{
    std::size_t written = 0;
    while (written < length) {
        if (interrupted())
            return EINTR;
        const ssize_t n = m_disk.write(fd, data + written, length - written, static_cast<off_t>(offset + written));
        if (n > 0)
            written += static_cast<std::size_t>(n);
        else if (n == 0)
            return EIO;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

int Overwriter::writeData(int fd, std::uint64_t size, bool holes, const Pass &pass, Random &random,
                          unsigned char *buffer, const std::function<void(std::uint64_t, std::size_t)> &wrote)
{
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    const auto next = [&] {
        if (holes)
            return nextData(fd, end, size, begin, end);
        if (end != 0 || size == 0)
            return false;
        end = size; // all of it, from 0
        return true;
    };
    while (next()) {
        for (std::uint64_t offset = begin; offset < end;) {
            const std::size_t length = end - offset < BlockSize ? static_cast<std::size_t>(end - offset) : BlockSize;
            const unsigned char *data = buffer;
            if (pass.random)
                random.fill(buffer, length);
            else
                data = buffer + offset % 3; // keep the 3-byte pattern continuous across blocks
            if (const int error = writeBlock(fd, data, length, offset))
                return error;
            offset += length;
            if (wrote)
                wrote(offset, length);
        }
    }
    return 0;
}

int Overwriter::overwrite(int fd, std::uint64_t size, const std::vector<Pass> &passes, const Reporter &reporter)
{
    if (!allocate())
        return ENOMEM;
    __extension__ using Wide = unsigned __int128;
    const bool holes = mayHaveHoles(fd, size);
    const Wide total = static_cast<Wide>(holes ? dataBytes(fd, size) : size) * passes.size();
    if (total == 0)
        return 0; // holes only: nothing of the file lies on the disk
    Wide written = 0;
    int lastPercent = 0;

    for (const Pass &pass : passes) {
        if (!pass.random)
            fillPattern(pass, m_buffer, BlockSize + 2);
        std::uint64_t writebackFrom = 0;
        const auto wrote = [&](std::uint64_t offset, std::size_t length) {
            written += length;
            if (offset - writebackFrom >= WritebackStride) {
                startWriteback(fd, writebackFrom, offset);
                writebackFrom = offset;
            }
            const int percent = static_cast<int>(written * 100 / total);
            if (percent > lastPercent) {
                reporter.percent(percent);
                lastPercent = percent;
            }
        };
        if (const int error = writeData(fd, size, holes, pass, m_random, m_buffer, wrote))
            return error;
        if (interrupted())
            return EINTR;
        if (const int error = syncData(fd))
            return error;
    }
    return 0;
}

void Overwriter::writePass(std::vector<Target> &targets, const Pass &pass)
{
    // Filling the page cache costs more than the system calls around it: a few threads write
    // a pass side by side, each file whole by one of them, all done before the pass is synced.
    std::atomic<std::size_t> next{0};
    const auto work = [&](Random &random, unsigned char *buffer) {
        if (!pass.random)
            fillPattern(pass, buffer, BlockSize + 2);
        for (std::size_t i = next++; i < targets.size(); i = next++) {
            Target &target = targets[i];
            if (target.error != 0)
                continue;
            target.error = writeData(target.fd, target.size, target.holes, pass, random, buffer, {});
            if (target.error == EINTR && interrupted())
                return;
        }
    };
    const std::size_t helpers = std::min(m_lanes.size(), targets.size() / FilesPerThread);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(work, std::ref(m_lanes[i].random), m_lanes[i].buffer);
        } catch (const std::system_error &) {
            break; // fewer helpers, same result
        }
    }
    work(m_random, m_buffer);
    for (std::thread &thread : threads)
        thread.join();
}

int Overwriter::overwriteTogether(std::vector<Target> &targets, const std::vector<Pass> &passes)
{
    if (!allocate())
        return ENOMEM;
    for (Target &target : targets)
        target.holes = mayHaveHoles(target.fd, target.size);
    for (const Pass &pass : passes) {
        writePass(targets, pass);
        if (interrupted())
            return EINTR;
        if (syncTogether(targets) == EINTR)
            return EINTR;
    }
    return 0;
}

} // namespace qznb
