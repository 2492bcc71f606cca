#pragma once

#include <string>

namespace qznb {

class Disk;
class Random;

// The old name of a removed file is its last trace: it is replaced by noise of the same length
// before the entry goes.
class NameHider
{
public:
    NameHider(Random &random, Disk &disk)
        : m_random(random)
        , m_disk(disk)
    {}

    // The new name, or the old one when no rename was possible (removing the entry under its
    // old name still counts). With `durable`, the folder is synced after the rename.
    std::string hide(int dirFd, const std::string &name, bool durable = true);

private:
    std::string randomNameLike(const std::string &name);

    Random &m_random;
    Disk &m_disk;
};

} // namespace qznb
