#include "platform/files/DirectoryBatch.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr size_t batchBytes = 32 * 1024;

} // namespace

struct DirectoryBatch::State
{
    int fd = -1;
    bool finished = false;
    // Native: one getdents64 batch and the offset after the last entry taken.
    std::unique_ptr<char[]> buffer;
    long pos = 0;
    long len = 0;
    off_t cookie = 0;
    // Portable: a stream over a duplicate of the handle, and the entries taken so far.
    DIR *stream = nullptr;
    off_t taken = 0;

    ~State() { closeStream(); }
    void closeStream()
    {
        if (stream)
            closedir(stream);
        stream = nullptr;
    }
};

DirectoryBatch::DirectoryBatch(Method method)
    : m_method(method)
    , m_state(std::make_unique<State>())
{
#if !defined(__linux__)
    m_method = Method::Portable; // no batched read elsewhere
#endif
}

DirectoryBatch::~DirectoryBatch() = default;
DirectoryBatch::DirectoryBatch(DirectoryBatch &&) noexcept = default;
DirectoryBatch &DirectoryBatch::operator=(DirectoryBatch &&) noexcept = default;

void DirectoryBatch::start(int fd)
{
    m_state->closeStream();
    m_state->fd = fd;
    m_state->finished = false;
    m_state->pos = m_state->len = 0;
    m_state->cookie = 0;
    m_state->taken = 0;
}

bool DirectoryBatch::resume(int fd)
{
    State &s = *m_state;
    const off_t cookie = s.cookie;
    const off_t taken = s.taken;
    start(fd);
    if (m_method == Method::Native) {
        s.cookie = cookie;
        return lseek(fd, cookie, SEEK_SET) >= 0;
    }
    // A count is all that stays valid across streams: skip that many entries again.
    const char *name = nullptr;
    unsigned char type = DT_UNKNOWN;
    while (s.taken < taken) {
        if (!next(name, type))
            return false;
    }
    return true;
}

void DirectoryBatch::release()
{
    m_state->closeStream();
    m_state->buffer.reset();
    m_state->pos = m_state->len = 0;
    m_state->fd = -1;
}

bool DirectoryBatch::fill()
{
    State &s = *m_state;
    if (s.finished || s.fd < 0)
        return false;
#if defined(__linux__)
    if (m_method == Method::Native) {
        if (!s.buffer)
            s.buffer = std::make_unique<char[]>(batchBytes);
        const ssize_t n = getdents64(s.fd, s.buffer.get(), batchBytes);
        if (n <= 0) {
            // The end of the listing, or a read error: either way this folder is done.
            s.finished = true;
            return false;
        }
        s.pos = 0;
        s.len = long(n);
        return true;
    }
#endif
    if (!s.stream) {
        // The stream owns its handle: a duplicate, so the caller's stays the caller's.
        const int copy = fcntl(s.fd, F_DUPFD_CLOEXEC, 0);
        if (copy < 0 || lseek(copy, 0, SEEK_SET) < 0 || !(s.stream = fdopendir(copy))) {
            if (copy >= 0)
                close(copy);
            s.finished = true;
            return false;
        }
    }
    return true;
}

bool DirectoryBatch::next(const char *&name, unsigned char &type)
{
    State &s = *m_state;
#if defined(__linux__)
    if (m_method == Method::Native) {
        if (s.pos >= s.len && !fill())
            return false;
        const auto *entry = reinterpret_cast<const struct dirent64 *>(s.buffer.get() + s.pos);
        s.pos += entry->d_reclen;
        s.cookie = entry->d_off;
        name = entry->d_name;
        type = entry->d_type;
        return true;
    }
#endif
    if (!s.stream && !fill())
        return false;
    const struct dirent *entry = readdir(s.stream);
    if (!entry) {
        s.finished = true;
        return false;
    }
    ++s.taken;
    name = entry->d_name;
#if defined(_DIRENT_HAVE_D_TYPE) || defined(DT_UNKNOWN)
    type = entry->d_type;
#else
    type = DT_UNKNOWN;
#endif
    return true;
}

} // namespace platform
