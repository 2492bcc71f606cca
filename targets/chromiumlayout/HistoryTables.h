#pragma once

#include <QString>
#include <QStringList>

// The tables of a Chromium-layout History database that hold the browsing history, and the
// statements that clear them the way the browser's own "clear history, all time" does. The
// browser has added tables over the years (annotations, clusters, visited links, journeys),
// so the statements are worked out from the database's own schema: an older file gets only
// the tables it has. What is not history stays: the file's bookkeeping (meta, the AUTOINCREMENT
// counters), and the tables that rows of their own clean (segments, search terms, downloads).
class HistoryTables
{
public:
    // The history tables, in the order they are emptied; the pages first.
    static const QStringList browsing;
    // The download list's tables that "Download History" empties (its URL chains have a row
    // of their own).
    static const QStringList downloads;

    // The first of `tables`, then those of the others that the database at `path` holds, in
    // their order; the first alone when the schema cannot be read.
    static QStringList presentIn(const QString &path, const QStringList &tables);
    // "DELETE FROM t;" for each table present, run by the caller as one transaction.
    static QString deleteStatementFor(const QString &path, const QStringList &tables);
};
