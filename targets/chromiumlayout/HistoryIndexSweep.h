#pragma once

#include <QString>
#include <QStringList>

// The monthly full-text index files that a Chromium-layout profile keeps beside its History
// database ("History Index 2024-03", and their "-journal" companions). Each one is a row of
// its own, all under one item name, told apart by path.
class HistoryIndexSweep
{
public:
    // "History Index YYYY-MM" or "History Index YYYY-MM-journal", exactly.
    static bool isIndexName(const QString &name);

    // Regular files directly inside `profileFolder` named as an index, as full paths in the
    // file system's listing order. A missing or unreadable folder gives none; folders and
    // links of such a name are not the browser's index.
    static QStringList entriesIn(const QString &profileFolder);

    // Is `path` such an entry: an index file lying directly inside the folder? A cleaning
    // request naming anything else is not this row's to move.
    static bool isEntryOf(const QString &profileFolder, const QString &path);
};
