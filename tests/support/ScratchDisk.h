#pragma once

#include <QFile>
#include <QString>

#include <sys/mount.h>
#include <sys/stat.h>

// A small memory file system mounted for one test, as a second disk (or a bind mount of a
// folder); unmounted afterwards.
class ScratchDisk
{
public:
    explicit ScratchDisk(const QString &point, const char *size = "4m")
        : m_point(QFile::encodeName(point))
    {
        const QByteArray options = QByteArray("size=") + size + ",mode=0755";
        m_mounted = mkdir(m_point.constData(), 0755) == 0
            && mount("nimbrel-test", m_point.constData(), "tmpfs", 0, options.constData()) == 0;
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
    }
    ~ScratchDisk()
    {
        if (m_mounted)
            umount2(m_point.constData(), MNT_DETACH);
    }
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;
    bool mounted() const { return m_mounted; }
    bool makeReadOnly() const
    {
        return mount(nullptr, m_point.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray m_point;
    bool m_mounted = false;
};
