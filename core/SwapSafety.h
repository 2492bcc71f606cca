#pragma once

#include <QString>

#include <sys/stat.h>

// Whether anybody but the user (and root) could swap what a folder holds for something else,
// a link say, between our check of an entry and our use of it. Set-aside folders are made
// and used only below folders that pass.
namespace swapsafety {

// A folder nobody else may rename entries in: the user's or root's (the owner of a folder
// may rename anything in it, sticky bit or not), and, when others may write in it, with the
// sticky bit.
bool othersCannotSwapIn(const struct stat &st);
// The same for an open folder.
bool othersCannotSwapIn(int fd);
// The same for every folder on the way to the absolute, resolved path, itself included.
bool othersCannotSwapOnTheWayTo(const QString &resolved);

} // namespace swapsafety
