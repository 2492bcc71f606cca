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
// across folders, and the folders they lie in are removed after them. A path given as
// "/proc/self/fd/N/<name>" names an entry of the folder the caller left open as descriptor N,
// used as that very descriptor. Another file system mounted below a given folder is never
// entered: it, and the folders on the way to it, stay.
class Remover
{
public:
    Remover(const Options &options, const Reporter &reporter, Overwriter &overwriter, Random &random, Disk &disk);

    // True when the path is gone afterwards (or was missing under -f).
    bool removePath(const std::string &path);

private:
    // A folder being emptied; the walk keeps them on a stack of its own, so no depth can
    // overflow the thread's stack. Only the deepest levels keep their descriptors open, so any
    // depth fits under a small descriptor limit: a closed level is reopened through ".." from
    // its child, and only when it is still the very folder that was left.
    struct Level
    {
        int fd = -1;
        dev_t dev = 0;
        ino_t ino = 0;
        std::string name;                 // in the level above
        std::size_t displayAbove = 0;     // length of m_display for the level above
        std::vector<std::string> folders; // subfolders, walked after the files
        std::size_t next = 0;
        bool ok = true; // nothing below has failed
        Batch::Slot batchSlot;
    };
    static constexpr std::size_t OpenLevels = 32;

    bool removeEntry(int dirFd, const std::string &name, const std::string &display, const struct stat &info);
    bool removeTree(const std::string &name, const struct stat &info);
    // Opens a folder below the top level and removes its files; false when it cannot be walked.
    bool enter(const std::string &name, const struct stat &info);
    void removeFiles(Level &level, const std::vector<std::string> &names);
    // Closes the top level and removes its folder (or leaves it to the batch) in the level above.
    void leave();
    bool reopenParent();
    void closeLevels();
    std::string childDisplay(const std::string &name) const;
    bool removeFile(int dirFd, const std::string &name, const std::string &display, const struct stat &info);
    bool overwriteFile(int dirFd, const std::string &name, const std::string &display, const struct stat &info);
    int openToOverwrite(int dirFd, const std::string &name, const std::string &display, const struct stat &info,
                        std::uint64_t &size);
    bool addToBatch(Level &dir, const std::string &name, const std::string &display, const struct stat &info);

    const Options &m_options;
    const Reporter &m_reporter;
    Overwriter &m_overwriter;
    Disk &m_disk;
    std::vector<Pass> m_passes;
    NameHider m_hider;
    Batch m_batch;
    std::vector<Level> m_levels; // [0] is the folder holding the given path
    std::string m_display;       // the path of the top level, as given plus the names below it
};

} // namespace qznb
