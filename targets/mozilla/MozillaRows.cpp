#include "targets/mozilla/MozillaRows.h"

#include "targets/mozilla/MozillaHistoryClear.h"
#include "targets/mozilla/MozillaStatements.h"

namespace mozilla {

TraceRow sqlRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                const char *countStatement, const char *deleteStatement, TraceRow::Probe probe)
{
    return ::sqlRow(classification, categoryKey, std::move(path), QString::fromLatin1(countStatement),
                    QString::fromLatin1(deleteStatement), probe);
}

TraceRow historyRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                    TraceRow::Probe probe)
{
    TraceRow row = sqlRow(classification, categoryKey, std::move(path), sql::historyCount, sql::historyDelete, probe);
    row.statementFor = &historyDeleteFor;
    return row;
}

QString historyDeleteFor(const QString &path)
{
    const QString clear = historyClearFor(path);
    return clear.isEmpty() ? QString::fromLatin1(sql::historyDelete) : clear;
}

TraceRow downloadAnnotationRow(const QString &classification, const QString &categoryKey, std::function<QString()> path)
{
    TraceRow row = sqlRow(classification, categoryKey, std::move(path), sql::downloadAnnoCount, "");
    row.statement = QLatin1String(sql::downloadPagesWhere) + QLatin1String(sql::notBookmarked)
        + QLatin1String(sql::downloadVisitsAndAnnosDelete);
    row.statementFor = &downloadDeleteFor;
    return row;
}

QString downloadDeleteFor(const QString &path)
{
    const QString unreferenced = unreferencedPagesIn(path);
    return QLatin1String(sql::downloadPagesWhere)
        + (unreferenced.isEmpty() ? QLatin1String(sql::notBookmarked) : unreferenced)
        + QLatin1String(sql::downloadVisitsAndAnnosDelete);
}

TraceRow existingRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                     const QString &kind)
{
    TraceRow row = traceRow(classification, categoryKey, std::move(path), kind);
    row.offer = TraceRow::Offer::Exists;
    return row;
}

} // namespace mozilla
