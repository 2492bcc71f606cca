#pragma once

#include <QString>
#include <QStringList>

// The recent applications, documents and servers limits that System Events keeps. Setting a
// limit to 0 and back makes the system forget the items of that list; the scripts run one
// after the other through platform::AppleScript, each compiled and run once.
class RecentItemLimits
{
public:
    // The three lists, in the order their limits are read, cleared and restored.
    static const QStringList &lists(); // "applications", "documents", "servers"

    static QString getScript(const QString &list);
    static QString setScript(const QString &list, int limit);

    // Reads the three limits, sets each one that was read to 0, then restores each to the
    // value read. A limit whose script gives no number is left alone: neither cleared nor
    // restored, so a limit is never left at 0 for want of its old value. Script errors are
    // ignored and never stop the sequence.
    static void reset();
};
