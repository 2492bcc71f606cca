#pragma once

#include <memory>
#include <sys/types.h>

namespace platform {

// A folder's listing read from an open handle in batches of entries with their types (the
// dirent DT_* values; DT_UNKNOWN where the file system does not say), in the file system's
// own order. It remembers where it stopped, so that a walk that closed the handle can resume
// the listing on a reopened one. Linux reads whole batches with getdents64; elsewhere, or
// when asked, readdir on a duplicate of the handle is used, and the place is kept as a count.
class DirectoryBatch
{
public:
    enum class Method { Native, Portable };

    explicit DirectoryBatch(Method method = Method::Native);
    ~DirectoryBatch();
    DirectoryBatch(DirectoryBatch &&) noexcept;
    DirectoryBatch &operator=(DirectoryBatch &&) noexcept;

    // Starts the listing of `fd` at its beginning (a handle of its own each time).
    void start(int fd);
    // Starts on a reopened handle of the same folder where the last entry taken left off;
    // false when the place cannot be found again.
    bool resume(int fd);
    // The next entry; false at the end of the listing or on a read error. `name` stays valid
    // until the next call.
    bool next(const char *&name, unsigned char &type);
    // Lets go of the handle's listing state (the handle itself belongs to the caller).
    void release();

private:
    struct State;
    bool fill();

    Method m_method;
    std::unique_ptr<State> m_state;
};

} // namespace platform
