#pragma once

#include <QFile>
#include <QString>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

// A small memory file system mounted for one test, as a second disk (or a bind mount of a
// folder); unmounted afterwards, wherever its folder has been moved meanwhile.
class ScratchDisk
{
public:
    explicit ScratchDisk(const QString &point, const char *size = "4m")
        : m_point(QFile::encodeName(point))
    {
        const QByteArray options = QByteArray("size=") + size + ",mode=0755";
        m_mounted = mkdir(m_point.constData(), 0755) == 0
            && mount("nimbrel-test", m_point.constData(), "tmpfs", 0, options.constData()) == 0;
        holdRoot();
    }
    // Writes a file at `path` until the disk refuses more: the disk is then full.
    static bool fillUp(const QString &path)
    {
        QFile filler(path);
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {}
        return true;
    }
    // The folder `source` bound at `point` instead: the same file system, seen a second time.
    ScratchDisk(const QString &point, const QString &source)
        : m_point(QFile::encodeName(point))
    {
        m_mounted = mkdir(m_point.constData(), 0755) == 0
            && mount(QFile::encodeName(source).constData(), m_point.constData(), nullptr, MS_BIND, nullptr) == 0;
        holdRoot();
    }
    ~ScratchDisk()
    {
        if (!m_mounted)
            return;
        // A folder set aside takes the mounts inside it along: the disk is found through its
        // own top folder, not by the name it was mounted at.
        const QByteArray root = "/proc/self/fd/" + QByteArray::number(m_root);
        if (m_root < 0 || umount2(root.constData(), MNT_DETACH) != 0)
            umount2(m_point.constData(), MNT_DETACH);
        if (m_root >= 0)
            close(m_root);
    }
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;
    bool mounted() const { return m_mounted; }
    bool makeReadOnly() const
    {
        return mount(nullptr, m_point.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    void holdRoot()
    {
        if (m_mounted)
            m_root = open(m_point.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    }

    QByteArray m_point;
    bool m_mounted = false;
    int m_root = -1;
};
