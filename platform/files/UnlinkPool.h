#pragma once

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

// Unlinks the files of a big tree from a few threads at once. Removing a file mostly waits on
// the device (freeing and discarding its blocks) after its folder is unlocked again, so several
// in flight keep the device busy where one thread would wait on each in turn. Work comes in
// batches of names, all of one folder; one thread takes a whole batch.
class UnlinkPool
{
public:
    // An open folder shared by the batches of its names; closed with the last of them.
    class Folder
    {
    public:
        explicit Folder(int fd)
            : m_fd(fd)
        {}
        ~Folder();
        Folder(const Folder &) = delete;
        Folder &operator=(const Folder &) = delete;
        int fd() const { return m_fd; }

    private:
        int m_fd;
    };
    using FolderPtr = std::shared_ptr<const Folder>;

    explicit UnlinkPool(int threads);
    ~UnlinkPool();
    UnlinkPool(const UnlinkPool &) = delete;
    UnlinkPool &operator=(const UnlinkPool &) = delete;

    // Queues names of `folder` to be unlinked; waits first while the queue is long, so the
    // names listed ahead stay bounded.
    void add(const FolderPtr &folder, std::vector<QByteArray> names);
    // Waits until every name queued so far has been tried; false when any was not removed
    // (since the last call), with errno set to why the first of them was not.
    bool finish();

    static constexpr size_t batchSize = 128;

private:
    struct Batch
    {
        FolderPtr folder;
        std::vector<QByteArray> names;
    };
    void work();

    std::mutex m_mutex;
    std::condition_variable m_wake;    // workers: a batch, or the end
    std::condition_variable m_settled; // the walker: room in the queue, or all done
    std::deque<Batch> m_queue;
    size_t m_busy = 0; // batches taken and not yet done
    int m_error = 0;   // of the first name not removed
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

} // namespace platform
