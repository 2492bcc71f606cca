#pragma once

#include "Batch.h"
#include "NameHider.h"
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
        Batch::Slot batchSlot;
    };
    static constexpr int OpenLevels = 32;

    bool removeEntry(Level& dir, const std::string& name, const std::string& display, const struct stat& info);
    bool removeTree(Level& parent, const std::string& name, const std::string& display, const struct stat& info);
    static bool reopenParent(Level& child);
    bool removeFile(int dirFd, const std::string& name, const std::string& display, const struct stat& info);
    bool overwriteFile(int dirFd, const std::string& name, const std::string& display, const struct stat& info);
    int openToOverwrite(int dirFd, const std::string& name, const std::string& display, const struct stat& info,
                        std::uint64_t& size);
    bool addToBatch(Level& dir, const std::string& name, const std::string& display, const struct stat& info);

    const Options& m_options;
    const Reporter& m_reporter;
    Overwriter& m_overwriter;
    Disk& m_disk;
    std::vector<Pass> m_passes;
    NameHider m_hider;
    Batch m_batch;
};

} // namespace qznb
