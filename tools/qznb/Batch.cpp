#include "Batch.h"

#include "Disk.h"
#include "Interrupt.h"
#include "NameHider.h"
#include "Overwriter.h"
#include "Reporter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace qznb {

namespace {

constexpr int NotTried = -1; // interrupted before its turn

} // namespace

Batch::Batch(const std::vector<Pass> &passes, const Reporter &reporter, Overwriter &overwriter, Disk &disk,
             NameHider &hider)
    : m_passes(passes)
    , m_reporter(reporter)
    , m_overwriter(overwriter)
    , m_disk(disk)
    , m_hider(hider)
{
    // A batch holds one descriptor per file: leave room for the open folder levels.
    struct rlimit limit = {};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const rlim_t spare = limit.rlim_cur > SpareDescriptors ? limit.rlim_cur - SpareDescriptors : 1;
        m_maxFiles = spare < Files ? static_cast<std::size_t>(spare) : Files;
    }
}

Batch::~Batch()
{
    drop();
}

bool Batch::takes(const struct stat &info)
{
    return S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_size > 0
        && static_cast<std::uint64_t>(info.st_size) <= FileSize;
}

bool Batch::full() const
{
    return m_files.size() + m_folders.size() >= m_maxFiles || m_bytes >= Bytes || m_textBytes >= TextBytes;
}

bool Batch::folder(int dirFd, Slot &slot, std::size_t &index)
{
    if (slot.generation == m_generation) {
        index = slot.index;
        return true;
    }
    const int fd = fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return false;
    m_folders.push_back(fd);
    slot.index = index = m_folders.size() - 1;
    slot.generation = m_generation;
    return true;
}

void Batch::add(int fd, std::size_t folder, const std::string &name, const std::string &display, std::uint64_t size)
{
    m_files.push_back({fd, folder, name, display, size});
    m_bytes += size;
    m_textBytes += name.size() + display.size();
}

void Batch::addFolderRemoval(std::size_t parent, const std::string &name, const std::string &display)
{
    m_removals.push_back({parent, name, display});
    m_textBytes += name.size() + display.size();
}

bool Batch::remove()
{
    if (m_files.empty() && m_removals.empty()) {
        drop();
        return true;
    }
    std::vector<Overwriter::Target> targets;
    targets.reserve(m_files.size());
    for (const Waiting &file : m_files)
        targets.push_back({file.fd, file.size, 0});
    const int error = m_overwriter.overwriteTogether(targets, m_passes);
    if (error != 0) {
        if (!(error == EINTR && interrupted()))
            for (const Waiting &file : m_files)
                m_reporter.failure(file.display, error);
        m_failed = true;
        drop();
        return false;
    }
    // Every pass of every file is durable now: only then do the names go, in the same order
    // as for a single file (hidden, made durable, then unlinked).
    bool ok = true;
    std::vector<std::string> hidden(m_files.size());
    std::vector<bool> renamedIn(m_folders.size(), false);
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        Waiting &file = m_files[i];
        close(file.fd);
        file.fd = -1;
        if (targets[i].error != 0) {
            m_reporter.failure(file.display, targets[i].error);
            ok = false;
            continue;
        }
        hidden[i] = m_hider.hide(m_folders[file.folder], file.name, false);
        renamedIn[file.folder] = true;
    }
    syncRenames(renamedIn);
    const std::vector<int> errors = unlinkTogether(hidden);
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        if (hidden[i].empty())
            continue;
        if (errors[i] == NotTried) {
            ok = false;
            continue;
        }
        const Waiting &file = m_files[i];
        m_reporter.removing(file.display);
        if (errors[i] != 0) {
            m_reporter.failure(file.display, errors[i]);
            ok = false;
            continue;
        }
        m_reporter.done();
    }
    if (!ok)
        m_failed = true;
    // The folders emptied meanwhile, deepest first as they were finished.
    for (const WaitingFolder &folder : m_removals) {
        if (interrupted()) {
            ok = false;
            break;
        }
        if (m_disk.unlink(m_folders[folder.parent], folder.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            // A folder that kept a file named above cannot go either; that is no news.
            if (!(m_failed && (errno == ENOTEMPTY || errno == EEXIST)))
                m_reporter.failure(folder.display, errno);
            ok = false;
        }
    }
    if (!ok)
        m_failed = true;
    drop();
    return ok;
}

std::vector<int> Batch::unlinkTogether(const std::vector<std::string> &hidden)
{
    // Freeing a file's blocks can wait on the device (a discard, say), and the wait happens
    // after the folder is unlocked: several files in flight keep the device busy, even within
    // one folder.
    std::vector<int> errors(hidden.size(), NotTried);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < hidden.size(); i = next++) {
            if (hidden[i].empty())
                continue;
            if (interrupted())
                return;
            const bool gone = m_disk.unlink(m_folders[m_files[i].folder], hidden[i].c_str(), 0) == 0 || errno == ENOENT;
            errors[i] = gone ? 0 : errno;
        }
    };
    const std::size_t helpers = std::min<std::size_t>(UnlinkThreads - 1, hidden.size() / 64);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error &) {
            break; // fewer helpers, same result
        }
    }
    work();
    for (std::thread &thread : threads)
        thread.join();
    return errors;
}

void Batch::syncRenames(const std::vector<bool> &renamedIn)
{
    std::size_t folders = 0;
    std::size_t last = 0;
    for (std::size_t i = 0; i < renamedIn.size(); ++i)
        if (renamedIn[i]) {
            ++folders;
            last = i;
        }
    if (folders == 0)
        return;
    // Several folders: one sync of the file system holds all their renames at once.
    if (folders == 1 || m_disk.syncFileSystem(m_folders[last]) != 0) {
        for (std::size_t i = 0; i < renamedIn.size(); ++i)
            if (renamedIn[i])
                m_disk.syncFolder(m_folders[i]);
    }
}

void Batch::drop()
{
    for (const Waiting &file : m_files)
        if (file.fd >= 0)
            close(file.fd);
    for (const int fd : m_folders)
        close(fd);
    m_files.clear();
    m_removals.clear();
    m_folders.clear();
    ++m_generation;
    m_bytes = 0;
    m_textBytes = 0;
}

} // namespace qznb
