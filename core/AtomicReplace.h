#pragma once

#include "platform/FileManager.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Replaces a file (a property list being rewritten) so that its path holds the whole old or
// the whole new contents at every instant, while the old contents still reach the removal
// engine: the old file is first hard-linked into the aside folder on its own file system (a
// copy of what was read when no link can be made), then the new contents are written beside
// it and renamed over it. Every rewrite of a list goes through here.
class AtomicReplace
{
public:
    enum class Result {
        Replaced,
        NoAside,     // the old contents could not be kept: nothing changed
        Changed,     // the file at the path is no longer the one read: nothing changed
        WriteFailed, // the new contents could not be written: nothing changed
    };

    // `original` is what was read at `path` (its identity is checked again before and at the
    // rename). `beforeRename` runs once the old contents are safe, just before the new ones
    // take the path. Answers the path of the old contents in the aside folder, or empty.
    static QString replaceKeepingOld(const QString &path, const platform::RegularFile &original,
                                     const QByteArray &data,
                                     const std::function<void()> &beforeRename = {},
                                     Result *result = nullptr);

    // Tests only: runs right after the swap, before anything is tidied up.
    static void setAfterSwapHook(std::function<void()> hook);
};
