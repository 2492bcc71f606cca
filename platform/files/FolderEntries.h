#pragma once

#include <QByteArray>

#include <vector>

// The listing shared by the tree walks (copy and removal) in platform/FileTree.
namespace platform::filetree {

bool isDotOrDotDot(const char *name);

// One name inside an open folder.
struct DirEntry
{
    QByteArray name;
    unsigned char type; // d_type: DT_UNKNOWN when the file system does not tell
};

// The names inside the open folder `dirFd`, read whole, without "." and ".."; the descriptor
// stays open (the listing reads from a duplicate).
std::vector<DirEntry> entriesIn(int dirFd);

} // namespace platform::filetree
