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
    // The most-visited list the browser shows at start, kept apart in "Top Sites" and emptied
    // with the history; older files kept it with thumbnails.
    static const QString mostVisitedFile;
    static const QStringList mostVisited;

    // Whether a statement names the first table whatever the file holds: a row's own table,
    // whose absence must fail the statement rather than let the rest go quietly.
    enum class First { Required, LikeTheRest };
    // The tables of `tables` that the database at `path` holds, in their order (the first
    // always when it is required); the first alone, or none, when the schema cannot be read.
    static QStringList presentIn(const QString &path, const QStringList &tables, First first = First::Required);
    // "DELETE FROM t;" for each table present, run by the caller as one transaction.
    static QString deleteStatementFor(const QString &path, const QStringList &tables, First first = First::Required);
};
