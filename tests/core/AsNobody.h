#pragma once

#include <grp.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <vector>

// For the length of a scope, runs the test as the unprivileged user "nobody" when it runs as
// root, so that permission bits (a folder at 000, a read-only file) stop the program as they
// stop a real user. Root keeps its saved user id and takes it back at the end of the scope.
// Not root to begin with: nothing changes, the bits already bite.
class AsNobody
{
public:
    static constexpr uid_t uid = 65534;
    static constexpr gid_t gid = 65534;

    AsNobody()
    {
        if (geteuid() != 0) {
            m_ok = true;
            return;
        }
        const int n = getgroups(0, nullptr);
        m_groups.resize(size_t(n > 0 ? n : 0));
        if (n > 0 && getgroups(n, m_groups.data()) != n)
            return;
        if (setgroups(0, nullptr) != 0)
            return;
        if (setresgid(gid, gid, 0) != 0) {
            restoreGroups();
            return;
        }
        if (setresuid(uid, uid, 0) != 0) {
            setresgid(0, 0, 0);
            restoreGroups();
            return;
        }
        m_dropped = true;
        m_ok = true;
    }
    ~AsNobody()
    {
        if (!m_dropped)
            return;
        setresuid(0, 0, 0);
        setresgid(0, 0, 0);
        restoreGroups();
    }
    AsNobody(const AsNobody &) = delete;
    AsNobody &operator=(const AsNobody &) = delete;

    // False when root could not become nobody (no such capability here).
    bool ok() const { return m_ok; }

    // Gives a folder made beforehand to the user the scope will run as (root only), so the
    // test can build its tree inside it.
    static bool handOver(const char *folder)
    {
        return geteuid() != 0 || (chown(folder, uid, gid) == 0 && chmod(folder, 0700) == 0);
    }

    // In a child process (after fork, before exec or _exit): runs as nobody from here on when
    // root, for good; an ordinary user stays who it is. False when root cannot become nobody.
    static bool becomeForGood()
    {
        if (geteuid() != 0)
            return true;
        return setgroups(0, nullptr) == 0 && setresgid(gid, gid, gid) == 0 && setresuid(uid, uid, uid) == 0;
    }
    // What such a child exits with when it could not become nobody.
    static constexpr int cannotBecomeNobody = 77;

private:
    void restoreGroups() { setgroups(m_groups.size(), m_groups.data()); }

    std::vector<gid_t> m_groups;
    bool m_ok = false;
    bool m_dropped = false;
};
