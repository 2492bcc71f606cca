#pragma once

#include "Passes.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace qznb {

class Disk;
class NameHider;
class Overwriter;
class Reporter;

// Small files, open and waiting to be overwritten together, and the folders that can go only
// after them. Pass k goes over the whole batch and is made durable before pass k+1; the names
// are hidden and removed only once the last pass is durable.
class Batch
{
public:
    // Where a folder's handle in the batch is kept by whoever walks it; valid for one batch.
    struct Slot
    {
        std::size_t index = 0;
        unsigned generation = 0;
    };

    Batch(const std::vector<Pass> &passes, const Reporter &reporter, Overwriter &overwriter, Disk &disk,
          NameHider &hider);
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;

    static bool takes(const struct stat &info);
    bool hasFiles() const { return !m_files.empty(); }
    // The batch's handle for the folder `dirFd`, duplicated once per batch; false (errno set)
    // when no descriptor is left for it.
    bool folder(int dirFd, Slot &slot, std::size_t &index);
    void add(int fd, std::size_t folder, const std::string &name, const std::string &display, std::uint64_t size);
    // A folder, emptied but for files waiting here, goes after them.
    void addFolderRemoval(std::size_t parent, const std::string &name, const std::string &display);
    bool full() const;
    // Overwrites, hides and removes everything waiting; false when something was named as not
    // removed.
    bool remove();
    // Lets everything waiting go untouched (interrupted).
    void drop();
    // A new path begins: failures of the last one no longer explain a folder left behind.
    void forgetFailures() { m_failed = false; }

private:
    struct Waiting
    {
        int fd = -1;
        std::size_t folder = 0;
        std::string name;
        std::string display;
        std::uint64_t size = 0;
    };
    struct WaitingFolder
    {
        std::size_t parent = 0;
        std::string name;
        std::string display;
    };
    static constexpr std::uint64_t FileSize = 1u << 20;
    static constexpr std::uint64_t Bytes = 64u << 20;
    static constexpr std::size_t Files = 16384;         // each pass of a batch costs one sync of the file system
    static constexpr std::size_t TextBytes = 16u << 20; // names shown: long in a deep tree
    static constexpr std::size_t UnlinkThreads = 16;
    static constexpr int SpareDescriptors = 96; // the walk's open folder levels and a little more

    void syncRenames(const std::vector<bool> &renamedIn);
    // Unlinks the hidden names (an empty one is skipped); errno per file, 0 when gone.
    std::vector<int> unlinkTogether(const std::vector<std::string> &hidden);

    const std::vector<Pass> &m_passes;
    const Reporter &m_reporter;
    Overwriter &m_overwriter;
    Disk &m_disk;
    NameHider &m_hider;
    std::vector<Waiting> m_files;
    std::vector<WaitingFolder> m_removals;
    std::vector<int> m_folders;
    unsigned m_generation = 1;
    std::uint64_t m_bytes = 0;
    std::size_t m_textBytes = 0;
    std::size_t m_maxFiles = Files;
    bool m_failed = false; // something was named as not removed in this path
};

} // namespace qznb
