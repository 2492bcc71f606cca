#include "targets/base/TraceTable.h"

#include "platform/files/FileManager.h"

using namespace Qt::StringLiterals;

TraceRow traceRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                  const QString &kind)
{
    TraceRow row;
    row.classification = classification;
    row.categoryKey = categoryKey;
    row.path = std::move(path);
    row.kind = kind;
    return row;
}

TraceRow sqlRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                const QString &countStatement, const QString &deleteStatement, TraceRow::Probe probe)
{
    TraceRow row = traceRow(classification, categoryKey, std::move(path), u"Sqlite"_s);
    row.offer = TraceRow::Offer::Count;
    row.probe = probe;
    row.countStatement = countStatement;
    row.route = TraceRow::Route::Sql;
    row.statement = deleteStatement;
    return row;
}

TraceRow keyRewriteRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                       const QString &key)
{
    TraceRow row = traceRow(classification, categoryKey, std::move(path), u"Plist"_s);
    row.extraInfo = key;
    row.offer = TraceRow::Offer::KeyNonEmpty;
    row.keyPath = {key};
    row.route = TraceRow::Route::KeyRewrite;
    return row;
}

TraceRow keptEntriesRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                        const QStringList &keptPrefixes)
{
    TraceRow row = traceRow(classification, categoryKey, std::move(path), u"Dir"_s);
    row.offer = TraceRow::Offer::EntryNotKept;
    row.route = TraceRow::Route::MoveEntries;
    row.keptPrefixes = keptPrefixes;
    return row;
}

PaneSwitches paneSwitchesFor(const PaneSwitch &master, const QList<Category> &categories)
{
    PaneSwitches switches;
    switches.master = master;
    for (const Category &category : categories)
        switches.categories.append({category.key, category.label});
    return switches;
}

namespace tracepaths {

QString join(const QString &base, const QString &relative)
{
    QString head = base;
    while (head.size() > 1 && head.endsWith(QLatin1Char('/')))
        head.chop(1);
    qsizetype start = 0;
    while (start < relative.size() && relative.at(start) == QLatin1Char('/'))
        ++start;
    const QString tail = relative.mid(start);
    if (tail.isEmpty())
        return head;
    if (head.isEmpty())
        return tail;
    return head.endsWith(QLatin1Char('/')) ? head + tail : head + QLatin1Char('/') + tail;
}

std::function<QString()> home(const QString &relative)
{
    return [relative] { return join(platform::FileManager::homeDirectory(), relative); };
}

std::function<QString()> temporaryDirectory(const QString &relative)
{
    return [relative] { return join(platform::FileManager::temporaryDirectory(), relative); };
}

} // namespace tracepaths
