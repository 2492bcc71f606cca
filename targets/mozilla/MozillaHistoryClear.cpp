#include "targets/mozilla/MozillaHistoryClear.h"

#include "targets/base/CountProbe.h"

#include <QStringList>

using namespace Qt::StringLiterals;

namespace mozilla {

namespace {

// What the file has, asked on one read-only connection.
class Schema
{
public:
    explicit Schema(const QString &path)
        : m_probe(m_counts)
    {
        m_open = m_probe.open(path);
    }
    bool isOpen() const { return m_open; }
    bool hasTable(const QString &table)
    {
        return m_probe.count(u"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = '%1';"_s.arg(table))
                   .value_or(0)
            > 0;
    }
    bool hasColumn(const QString &table, const QString &column)
    {
        return m_probe.count(u"SELECT count(*) FROM pragma_table_info('%1') WHERE name = '%2';"_s.arg(table, column))
                   .value_or(0)
            > 0;
    }

private:
    QList<int> m_counts;
    CountProbe m_probe;
    bool m_open = false;
};

// The pages the clear removes: those nothing refers to. The reference count is the browser's
// own test; a bookmark or keyword pointing at the page keeps it even where that count is off
// or missing (older files).
QString removedPages(Schema &schema)
{
    QStringList kept;
    if (schema.hasColumn(u"moz_places"_s, u"foreign_count"_s))
        kept << u"foreign_count > 0"_s;
    if (schema.hasColumn(u"moz_bookmarks"_s, u"fk"_s))
        kept << u"id IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)"_s;
    if (schema.hasColumn(u"moz_keywords"_s, u"place_id"_s))
        kept << u"id IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)"_s;
    return kept.isEmpty() ? u"1"_s : u"NOT ("_s + kept.join(u" OR "_s) + u')';
}

// The history fields of a kept page, back to what a page never visited has.
QString resetKeptPages(Schema &schema)
{
    QStringList set;
    const std::pair<const char *, const char *> fields[] = {
        {"visit_count", "0"},
        {"last_visit_date", "NULL"},
        {"typed", "0"},
        // A page never visited is worked out again; the browser's own place: queries keep 0.
        {"frecency", "CASE WHEN url GLOB 'place:*' THEN 0 ELSE -1 END"},
        {"recalc_frecency", "1"},
        {"alt_frecency", "NULL"},
        {"recalc_alt_frecency", "1"},
    };
    for (const auto &[column, value] : fields) {
        if (schema.hasColumn(u"moz_places"_s, QLatin1String(column)))
            set << QLatin1String(column) + u" = "_s + QLatin1String(value);
    }
    return set.isEmpty() ? QString() : u"UPDATE moz_places SET "_s + set.join(u", "_s) + u';';
}

} // namespace

QString historyClearFor(const QString &path)
{
    Schema schema(path);
    if (!schema.isOpen() || !schema.hasTable(u"moz_places"_s) || !schema.hasTable(u"moz_historyvisits"_s))
        return {};
    const QString removed = removedPages(schema);
    const QString removedIds = u"(SELECT id FROM moz_places WHERE "_s + removed + u')';
    QStringList statements{u"DELETE FROM moz_historyvisits;"_s};
    // Tables that hold nothing but history: emptied wherever the file has them.
    for (const char *table : {"moz_historyvisits_extra", "moz_inputhistory", "moz_places_metadata",
                              "moz_places_metadata_search_queries", "moz_previews_tombstones"}) {
        if (schema.hasTable(QLatin1String(table)))
            statements << u"DELETE FROM "_s + QLatin1String(table) + u';';
    }
    if (schema.hasColumn(u"moz_annos"_s, u"place_id"_s))
        statements << u"DELETE FROM moz_annos WHERE place_id IN "_s + removedIds + u';';
    if (schema.hasColumn(u"moz_places_extra"_s, u"place_id"_s))
        statements << u"DELETE FROM moz_places_extra WHERE place_id IN "_s + removedIds + u';';
    statements << u"DELETE FROM moz_places WHERE "_s + removed + u';';
    const QString reset = resetKeptPages(schema);
    if (!reset.isEmpty())
        statements << reset;
    if (schema.hasTable(u"moz_origins"_s) && schema.hasColumn(u"moz_places"_s, u"origin_id"_s))
        statements << u"DELETE FROM moz_origins WHERE id NOT IN "
                      u"(SELECT origin_id FROM moz_places WHERE origin_id IS NOT NULL);"_s;
    if (schema.hasTable(u"moz_favicons"_s) && schema.hasColumn(u"moz_places"_s, u"favicon_id"_s))
        statements << u"DELETE FROM moz_favicons WHERE id NOT IN "
                      u"(SELECT favicon_id FROM moz_places WHERE favicon_id IS NOT NULL);"_s;
    return statements.join(u' ');
}

QString unreferencedPagesIn(const QString &path)
{
    Schema schema(path);
    return schema.isOpen() ? removedPages(schema) : QString();
}

} // namespace mozilla
