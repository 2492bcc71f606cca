#include "support/LinkFlipper.h"

#include "platform/files/FileManager.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

LinkFlipper::LinkFlipper(const QString &path, const QString &target, const QByteArray &contents)
{
    const QByteArray p = platform::encodePath(path);
    const QByteArray t = platform::encodePath(target);
    m_thread = std::thread([this, p, t, contents] {
        const QByteArray linkTemp = p + ".link";
        const QByteArray fileTemp = p + ".file";
        while (!m_stop.load()) {
            unlink(linkTemp.constData());
            if (symlink(t.constData(), linkTemp.constData()) == 0)
                rename(linkTemp.constData(), p.constData());
            const int fd = open(fileTemp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0)
                continue;
            const bool whole = write(fd, contents.constData(), size_t(contents.size())) == contents.size();
            close(fd);
            if (whole)
                rename(fileTemp.constData(), p.constData());
        }
    });
}

LinkFlipper::~LinkFlipper()
{
    m_stop = true;
    m_thread.join();
}

bool makeDeepTree(const QString &base, int levels, int fileEvery)
{
    int fd = open(platform::encodePath(base).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; fd >= 0 && level < levels; ++level) {
        int next = -1;
        if (mkdirat(fd, "d", 0755) == 0)
            next = openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = next;
        if (fd >= 0 && level % fileEvery == 0) {
            const int file = openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            const bool written = file >= 0 && write(file, "secret", 6) == 6;
            if (file >= 0)
                close(file);
            if (!written) {
                close(fd);
                return false;
            }
        }
    }
    if (fd < 0)
        return false;
    close(fd);
    return true;
}
