#include "core/SwapSafety.h"

#include "platform/files/PathEncoding.h"

#include <QByteArray>

#include <unistd.h>

namespace swapsafety {

bool othersCannotSwapIn(const struct stat &st)
{
    if (!S_ISDIR(st.st_mode) || (st.st_uid != geteuid() && st.st_uid != 0))
        return false;
    return !(st.st_mode & (S_IWGRP | S_IWOTH)) || (st.st_mode & S_ISVTX);
}

bool othersCannotSwapIn(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 && othersCannotSwapIn(st);
}

bool othersCannotSwapOnTheWayTo(const QString &resolved)
{
    const QByteArray path = platform::encodePath(resolved);
    if (!path.startsWith('/'))
        return false;
    for (qsizetype end = 0; end >= 0;) {
        end = path.indexOf('/', end + 1);
        const QByteArray prefix = end < 0 ? path : path.left(qMax<qsizetype>(end, 1));
        struct stat st;
        if (lstat(prefix.constData(), &st) != 0 || !othersCannotSwapIn(st))
            return false;
    }
    return true;
}

} // namespace swapsafety
