#include "NameHider.h"

#include "Disk.h"
#include "Random.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace qznb {

std::string NameHider::randomNameLike(const std::string &name)
{
    static constexpr char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string out(name.size(), 'x');
    for (char &ch : out)
        ch = Alphabet[m_random.next() % (sizeof Alphabet - 1)];
    return out;
}

std::string NameHider::hide(int dirFd, const std::string &name, bool durable)
{
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string hidden = randomNameLike(name);
        if (m_disk.rename(dirFd, name.c_str(), hidden.c_str(), RENAME_NOREPLACE) == 0) {
            if (durable)
                m_disk.syncFolder(dirFd);
            return hidden;
        }
        if (errno == EEXIST)
            continue;
        if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP) {
            // No atomic no-replace here: take a name that is free right now.
            struct stat existing = {};
            if (fstatat(dirFd, hidden.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0)
                continue;
            if (errno == ENOENT && m_disk.rename(dirFd, name.c_str(), hidden.c_str(), 0) == 0) {
                if (durable)
                    m_disk.syncFolder(dirFd);
                return hidden;
            }
        }
        break;
    }
    return name;
}

} // namespace qznb
