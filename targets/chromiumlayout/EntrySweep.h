#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// The files a Chromium-layout browser keeps directly inside one folder under names of one
// form (the monthly history indexes beside History, the session files in Sessions). Each is
// a row of its own, all under one item name, told apart by path.
class EntrySweep
{
public:
    // `pattern` matches a whole entry name.
    explicit EntrySweep(const QString &pattern);

    bool isEntryName(const QString &name) const;

    // Regular files directly inside `folder` named so, as full paths in the file system's
    // listing order. A missing or unreadable folder gives none; folders and links of such a
    // name are not the browser's files.
    QStringList entriesIn(const QString &folder) const;

    // Is `path` such an entry: a file so named lying directly inside the folder? A cleaning
    // request naming anything else is not the row's to move.
    bool isEntryOf(const QString &folder, const QString &path) const;

private:
    QRegularExpression m_pattern;
};
