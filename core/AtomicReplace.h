#pragma once

#include "platform/files/FileManager.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Replaces a file (a property list being rewritten) so that its path holds the whole old or
// the whole new contents at every instant, while the old contents still reach the removal
// engine: the new contents are written inside the aside folder on the file's own file system
// and swapped with the old file in one step, so that the old contents are set aside the
// instant they leave their path and a kill leaves nothing anywhere else. Where the file
// system cannot swap, the old file is first linked (or copied) aside and the new one renamed
// over it. Every rewrite of a list goes through here.
class AtomicReplace
{
public:
    enum class Result {
        Replaced,
        NoAside,         // the old contents could not be kept: nothing changed
        Changed,         // the file at the path is no longer the one read: nothing changed
        WriteFailed,     // the new contents could not be written: nothing changed
        NotOverwritable, // secure removal could not overwrite the old contents: nothing changed
    };

    // `original` is what was read at `path` (its identity, and that it has no other name, is
    // checked again before and at the swap). `beforeRename` runs just before the new contents
    // take the path. The new file keeps the old one's mode and group (and its owner where
    // this user may set it). Answers the path of the old contents in the aside folder, or empty.
    static QString replaceKeepingOld(const QString &path, const platform::RegularFile &original, const QByteArray &data,
                                     const std::function<void()> &beforeRename = {}, Result *result = nullptr);

    // Gives what takes an item's place the item's owner and group, as far as this user may:
    // the group alone when the owner cannot be given.
    static void keepOwnerAndGroup(const QByteArray &path, uid_t owner, gid_t group);

    // Tests only: runs right after the swap, before anything is tidied up.
    static void setAfterSwapHook(std::function<void()> hook);
};
