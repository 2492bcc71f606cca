#include "targets/chromiumlayout/HistoryTables.h"

#include "targets/base/CountProbe.h"

using namespace Qt::StringLiterals;

const QStringList HistoryTables::browsing = {
    u"urls"_s,
    u"visits"_s,
    u"visit_source"_s,
    u"segment_usage"_s,
    u"content_annotations"_s,
    u"context_annotations"_s,
    u"clusters"_s,
    u"clusters_and_visits"_s,
    u"cluster_keywords"_s,
    u"cluster_visit_duplicates"_s,
    u"visited_links"_s,
    u"journeys"_s,
    u"journey_history_entries"_s,
    u"journey_continuation_queries"_s,
    // What the sync keeps about each visit, in the current and in the older name.
    u"history_sync_metadata"_s,
    u"journey_sync_metadata"_s,
    u"typed_url_sync_metadata"_s,
    // The most-visited order of the earliest schemas.
    u"presentation"_s,
};

const QStringList HistoryTables::downloads = {u"downloads"_s, u"downloads_slices"_s};

const QString HistoryTables::mostVisitedFile = u"Top Sites"_s;
const QStringList HistoryTables::mostVisited = {u"top_sites"_s, u"thumbnails"_s};

QStringList HistoryTables::presentIn(const QString &path, const QStringList &tables, First first)
{
    const QStringList required = first == First::Required ? tables.mid(0, 1) : QStringList();
    QStringList present = required;
    QList<int> counts;
    CountProbe probe(counts);
    if (tables.isEmpty() || !probe.open(path))
        return required;
    for (const QString &table : tables.mid(present.size())) {
        // The names are ours, never the file's: nothing read from it reaches the statement.
        const std::optional<int> n =
            probe.count(u"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '%1';"_s.arg(table));
        if (!n)
            return required;
        if (*n > 0)
            present.append(table);
    }
    return present;
}

QString HistoryTables::deleteStatementFor(const QString &path, const QStringList &tables, First first)
{
    QString statement;
    for (const QString &table : presentIn(path, tables, first))
        statement += u"DELETE FROM %1;"_s.arg(table);
    return statement;
}
