#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// Walks over whole folder trees on byte paths, relative to open folder descriptors, so that a
// symbolic link met on the way is handled as the link itself and never followed.
namespace platform::filetree {

// Removes `name` (relative to dirFd, or a path with AT_FDCWD) and everything below it.
// Goes on past failures and answers whether everything went. A folder of the caller's own
// is given the rights its emptying needs (u+rwx), as the owner's `chmod -R u+rwx` would; the
// files of a big tree are unlinked from a few threads, each folder after its contents. Another
// file system mounted below (or a bind mount) is never entered: it and the folders holding it
// stay, and the answer is false.
bool removeTree(int dirFd, const char *name);

// Appends every entry below the open folder `dirFd` (taken over and closed) as a path
// relative to it, prefixed with `prefix`, a folder before its contents, in readdir order.
void enumerate(int dirFd, const QString &prefix, QStringList &out);
// The same walk, handing each entry to `visit` as it is met; stops as soon as `visit` answers
// false, and then answers false itself.
bool enumerate(int dirFd, const QString &prefix, const std::function<bool(const QString &)> &visit);

// Copies an item to a new name: links as links, files with their permissions and times,
// folders with their contents. Never replaces an existing item; on a failure inside the tree
// the partial copy is removed again.
bool copyTree(const QByteArray &from, const QByteArray &to);

} // namespace platform::filetree
