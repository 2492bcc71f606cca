#pragma once

#include "targets/base/TraceTable.h"

#include <QString>

#include <functional>

// The two kinds of row the Mozilla modules' tables are mostly made of.
namespace mozilla {

// Cleaned in place by `deleteStatement`; offered while the file exists and `countStatement`
// counts more than 0.
TraceRow sqlRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                const char *countStatement, const char *deleteStatement,
                TraceRow::Probe probe = TraceRow::Probe::Inline);
// The browsing history of a places.sqlite: offered while it holds a visit, and cleared at
// cleaning time as the browser clears all history, by the statements that file's schema takes.
TraceRow historyRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                    TraceRow::Probe probe = TraceRow::Probe::Inline);
// The history clear for the places file at `path`; the plain delete when its schema cannot be read.
QString historyDeleteFor(const QString &path);
// The downloads kept in a places.sqlite as page annotations: sqlRow with the download
// statements, the pages removed only where nothing else refers to them.
TraceRow downloadAnnotationRow(const QString &classification, const QString &categoryKey,
                               std::function<QString()> path);
// The download delete for the places file at `path`.
QString downloadDeleteFor(const QString &path);
// Offered when something exists at the path; moved aside whole.
TraceRow existingRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                     const QString &kind);

} // namespace mozilla
