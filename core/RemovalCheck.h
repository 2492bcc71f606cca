#pragma once

#include <QString>

#include <optional>

// Whether this user can remove an item as a whole, asked before the item is touched, so that
// an item that cannot go (a folder another user left inside a cache, an immutable file) stays
// where it is instead of being set aside half-emptied. Folders of the user's own count as
// removable whatever their mode: the removal engine gives them the permissions it needs.
class RemovalCheck
{
public:
    // The first entry below or at `path` that stands in the way, as "<entry>: <why>" (the
    // entry relative to the item, "." for the item itself); nothing when all of it can go.
    // With `overwrite`, every file must also be one this user can overwrite.
    // Another file system mounted at or below the item (or a bind mount) stands in the way
    // too: the item is not the user's to move or empty as a whole.
    static std::optional<QString> obstacle(const QString &path, bool overwrite);
    // The same for the entry `name` of the open folder `dirFd`, the whole walk relative to it.
    static std::optional<QString> obstacle(int dirFd, const QByteArray &name, bool overwrite);
};
