#pragma once

#include <QString>
#include <QStringList>

// The monthly full-text index files that a Chromium-layout profile keeps beside its History
// database ("History Index 2024-03", and their "-journal" companions). Each one is a row of
// its own, all under one item name, told apart by path.
class HistoryIndexSweep
{
public:
    static const QString namePrefix; // "History Index", case-sensitive

    // Entries directly inside `profileFolder` whose own name begins with the prefix, as full
    // paths in the file system's listing order. A missing or unreadable folder gives none.
    static QStringList entriesIn(const QString &profileFolder);

    // Is `path` such an entry: named with the prefix and lying directly inside the folder?
    // A cleaning request naming anything else is not this row's to move.
    static bool isEntryOf(const QString &profileFolder, const QString &path);
};
