#include "targets/mozilla/MozillaRows.h"

#include "targets/base/CountProbe.h"
#include "targets/mozilla/MozillaStatements.h"

namespace mozilla {

TraceRow sqlRow(const QString &classification, const QString &categoryKey,
                std::function<QString()> path, const char *countStatement,
                const char *deleteStatement, TraceRow::Probe probe)
{
    return ::sqlRow(classification, categoryKey, std::move(path), QString::fromLatin1(countStatement),
                    QString::fromLatin1(deleteStatement), probe);
}

TraceRow historyRow(const QString &classification, const QString &categoryKey,
                    std::function<QString()> path, TraceRow::Probe probe)
{
    TraceRow row = sqlRow(classification, categoryKey, std::move(path), sql::historyCount,
                          sql::historyDelete, probe);
    row.statementFor = &historyDeleteFor;
    return row;
}

QString historyDeleteFor(const QString &path)
{
    QString statement = QString::fromLatin1(sql::historyDelete);
    QList<int> counts;
    CountProbe probe(counts);
    // A file that does not open gets the plain delete, which then fails on its own.
    if (!probe.open(path))
        return statement;
    for (const sql::Sweep &sweep : sql::historyOrphans) {
        if (probe.count(QString::fromLatin1(sweep.tablesPresent)).value_or(0) > 0)
            statement += QLatin1Char(' ') + QString::fromLatin1(sweep.statement);
    }
    return statement;
}

TraceRow existingRow(const QString &classification, const QString &categoryKey,
                     std::function<QString()> path, const QString &kind)
{
    TraceRow row = traceRow(classification, categoryKey, std::move(path), kind);
    row.offer = TraceRow::Offer::Exists;
    return row;
}

} // namespace mozilla
