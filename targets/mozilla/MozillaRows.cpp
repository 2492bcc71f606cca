#include "targets/mozilla/MozillaRows.h"

namespace mozilla {

TraceRow sqlRow(const QString &classification, const QString &categoryKey,
                std::function<QString()> path, const char *countStatement,
                const char *deleteStatement, TraceRow::Probe probe)
{
    return ::sqlRow(classification, categoryKey, std::move(path), QString::fromLatin1(countStatement),
                    QString::fromLatin1(deleteStatement), probe);
}

TraceRow existingRow(const QString &classification, const QString &categoryKey,
                     std::function<QString()> path, const QString &kind)
{
    TraceRow row = traceRow(classification, categoryKey, std::move(path), kind);
    row.offer = TraceRow::Offer::Exists;
    return row;
}

} // namespace mozilla
