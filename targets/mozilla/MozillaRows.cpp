#include "targets/mozilla/MozillaRows.h"

namespace mozilla {

TraceRow sqlRow(const QString &classification, const QString &categoryKey,
                std::function<QString()> path, const char *countStatement,
                const char *deleteStatement, TraceRow::Probe probe)
{
    TraceRow row = traceRow(classification, categoryKey, std::move(path), QStringLiteral("Sqlite"));
    row.offer = TraceRow::Offer::Count;
    row.probe = probe;
    row.countStatement = QString::fromLatin1(countStatement);
    row.route = TraceRow::Route::Sql;
    row.statement = QString::fromLatin1(deleteStatement);
    return row;
}

TraceRow existingRow(const QString &classification, const QString &categoryKey,
                     std::function<QString()> path, const QString &kind)
{
    TraceRow row = traceRow(classification, categoryKey, std::move(path), kind);
    row.offer = TraceRow::Offer::Exists;
    return row;
}

} // namespace mozilla
