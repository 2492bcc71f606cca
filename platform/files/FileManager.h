#pragma once

#include "platform/files/PathEncoding.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <sys/types.h>

namespace platform {

struct FileAttributes
{
    quint64 size = 0; // the item's own size; a symbolic link's is the link's
    bool isDirectory = false;
    bool isSymbolicLink = false;
    bool isRegularFile = false;
    bool immutable = false; // the file system's immutable attribute, where it has one
    mode_t permissions = 0; // permission bits only (07777)
    uid_t owner = 0;
    nlink_t linkCount = 0;
};

// A regular file read whole, with the identity of what was read.
struct RegularFile
{
    QByteArray data;
    dev_t device = 0;
    ino_t inode = 0;
    nlink_t linkCount = 0;
    mode_t permissions = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

enum class ReadFailure {
    None,
    Missing,    // nothing at the path
    NotRegular, // a pipe, device, folder, socket, or (when not followed) a final link
    TooLarge,   // beyond the caller's cap
    Unreadable, // no permission, or a read error
    Malformed,  // read, but not in the form the reader expects (set by parsing readers)
};

// File operations on byte paths. Nothing here follows a symbolic link while walking or
// removing; only the existence tests follow a final link, as their callers expect.
class FileManager
{
public:
    static FileManager &defaultManager();

    bool fileExistsAtPath(const QString &path) const;                    // follows links
    bool fileExistsAtPath(const QString &path, bool *isDirectory) const; // follows links
    // The item itself (a final symbolic link is not followed); nothing when it is missing.
    std::optional<FileAttributes> attributesOfItemAtPath(const QString &path) const;

    bool setImmutable(const QString &path, bool immutable) const;
    // Changes the mode of the item itself, never through a final link (refused).
    bool setPosixPermissions(const QString &path, mode_t permissions) const;
    // Whether the item itself may be written; a final link is answered for the link, which
    // has no mode of its own here (so it is writable), never for its target.
    bool isWritableFileAtPath(const QString &path) const;

    // Creates one folder (no intermediate folders).
    bool createDirectoryAtPath(const QString &path, mode_t mode = 0777) const;
    // Moves an item; never replaces an existing item; across file systems copies (links as
    // links) and then removes the source.
    bool moveItemAtPath(const QString &from, const QString &to) const;
    // Removes an item and, for a folder, everything inside it; links are removed, never
    // followed. Folders the user owns but may not change are given u+rwx first.
    bool removeItemAtPath(const QString &path) const;
    // The same for the entry `name` of the open folder `dirFd`, never looked up by a path.
    bool removeItemInFolder(int dirFd, const QByteArray &name) const;

    std::optional<QByteArray> contentsAtPath(const QString &path) const;
    // Reads a regular file only, through a non-blocking open, refusing anything larger than
    // `maxBytes`. With `followFinalLink` false a final symbolic link is refused too.
    std::optional<RegularFile> readRegularFile(const QString &path, qint64 maxBytes, bool followFinalLink = true,
                                               ReadFailure *failure = nullptr) const;
    // Renames an item, never replacing an existing one and never copying: fails across file
    // systems.
    bool renameItemAtPath(const QString &from, const QString &to) const;
    // Writes through a temporary file in the same folder, wholly on disk (every write, the
    // sync and the size checked), and only then renames it into place: on any failure the
    // old file stays. The new file has `permissions`, else the old file's mode (0600 for a
    // new one), and the old file's group.
    bool writeAtomically(const QString &path, const QByteArray &data,
                         std::optional<mode_t> permissions = std::nullopt) const;
    // Writes `data` to a new hidden file in the folder of `path` with the given permissions,
    // synced to disk; its path, or empty on failure (nothing is left behind then).
    QString writeNewFileBeside(const QString &path, const QByteArray &data, mode_t permissions) const;
    // Flushes a folder's entries (after a rename in it).
    void syncFolderOf(const QString &path) const;

    // Names directly inside a folder, in the file system's own order, without "." and "..".
    QStringList contentsOfDirectoryAtPath(const QString &path) const;
    // Every entry below a folder as a path relative to it, a folder before its contents, in
    // the file system's own order; folders reached through links are not entered. A missing
    // folder yields nothing.
    QStringList enumeratorAtPath(const QString &path) const;
    // The first entry of that walk for which `matches` answers true, as a path relative to
    // the folder; the walk stops there. Empty when none does.
    QString firstEntryBelow(const QString &path, const std::function<bool(const QString &relative)> &matches) const;

    // The path with every link on its way followed; empty when it cannot be resolved.
    static QString resolvedPath(const QString &path);
    // The path with the links of its folders followed and its final name kept as it is, so
    // that a link there is still seen as a link: folders above an item are the user's own
    // arrangement, the item itself is not. Empty when the folders cannot be resolved.
    static QString withResolvedFolders(const QString &path);

    // The per-user temporary directory: $TMPDIR when set, else a private (0700) folder
    // inside the home folder's file system (~/.nimbrel-tmp), not made here. Always ends
    // without a slash.
    static QString temporaryDirectory();
    static QString homeDirectory();
};

} // namespace platform
