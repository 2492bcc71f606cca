#pragma once

#include "Options.h"
#include "Passes.h"

#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace qznb {

class Disk;
class Overwriter;
class Random;
class Reporter;

// Walks and removes the given paths. Everything below a given path is reached through open
// directory descriptors (openat/fstatat/unlinkat, never following a symbolic link), so no step
// re-resolves a path that someone could swap under us. Small files of a tree wait in a batch,
// across folders, and the folders they lie in are removed after them.
class Remover {
public:
    Remover(const Options& options, const Reporter& reporter, Overwriter& overwriter, Random& random, Disk& disk);

    // True when the path is gone afterwards (or was missing under -f).
    bool removePath(const std::string& path);

private:
    // A folder being emptied. Only the deepest levels keep their descriptors open, so any
    // depth fits under a small descriptor limit: a closed level is reopened through ".." from
    // its child, and only when it is still the very folder that was left.
    struct Level {
        int fd = -1;
        dev_t dev = 0;
        ino_t ino = 0;
        Level* parent = nullptr;
        int depth = 0;
        std::size_t batchFolder = 0; // its handle in the batch, valid in batch generation:
        unsigned batchGeneration = 0;
    };
    static constexpr int OpenLevels = 32;

    // Small files, open and waiting to be overwritten together, and the folders that can go
    // only after them; each names its folder by a handle the batch holds.
    struct Waiting {
        int fd = -1;
        std::size_t folder = 0;
        std::string name;
        std::string display;
        std::uint64_t size = 0;
    };
    struct WaitingFolder {
        std::size_t parent = 0;
        std::string name;
        std::string display;
    };
    static constexpr std::uint64_t BatchFileSize = 1u << 20;
    static constexpr std::uint64_t BatchBytes = 64u << 20;
    static constexpr std::size_t BatchFiles = 4096;

    bool removeEntry(Level& dir, const std::string& name, const std::string& display, const struct stat& info);
    bool removeTree(Level& parent, const std::string& name, const std::string& display, const struct stat& info);
    static bool reopenParent(Level& child);
    bool removeFile(int dirFd, const std::string& name, const std::string& display, const struct stat& info);
    bool overwriteFile(int dirFd, const std::string& name, const std::string& display, const struct stat& info);
    int openToOverwrite(int dirFd, const std::string& name, const std::string& display, const struct stat& info,
                        std::uint64_t& size);
    bool batchable(const struct stat& info) const;
    bool addToBatch(Level& dir, const std::string& name, const std::string& display, const struct stat& info);
    bool removeBatch();
    bool batchFolder(Level& dir, std::size_t& index);
    bool batchFull() const;
    void syncRenames(const std::vector<bool>& renamedIn);
    void dropBatch();
    std::string hideName(int dirFd, const std::string& name, bool durable = true);
    std::string randomNameLike(const std::string& name);

    const Options& m_options;
    const Reporter& m_reporter;
    Overwriter& m_overwriter;
    Random& m_random;
    Disk& m_disk;
    std::vector<Pass> m_passes;
    std::vector<Waiting> m_batch;
    std::vector<WaitingFolder> m_batchRemovals;
    std::vector<int> m_batchFolders;
    unsigned m_batchGeneration = 1;
    std::uint64_t m_batchBytes = 0;
    bool m_failed = false; // something was named as not removed in this path
    std::size_t m_batchFiles = BatchFiles;
};

} // namespace qznb
