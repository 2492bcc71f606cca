#include "targets/chromiumlayout/ChromiumModuleController.h"

#include "core/FileController.h"
#include "targets/base/CountProbe.h"
#include "targets/chromiumlayout/HistoryIndexSweep.h"
#include "targets/chromiumlayout/LocalStorageKeepList.h"

using namespace Qt::StringLiterals;

using tracepaths::home;

namespace {

const QString historyFile = u"History"_s;

// The form history's rows, and their dates where an older schema keeps them apart; the rest
// of the file (cards, addresses, search engines) is not the form history.
QString formValuesDeleteFor(const QString &path)
{
    QString statement = u"DELETE FROM autofill;"_s;
    QList<int> counts;
    CountProbe probe(counts);
    // A file that does not open gets the plain delete, which then fails on its own.
    if (probe.open(path)
        && probe.count(u"SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'autofill_dates';"_s)
                   .value_or(0) > 0)
        statement += u" DELETE FROM autofill_dates;"_s;
    return statement;
}

} // namespace

ChromiumModuleController::ChromiumModuleController(const ChromiumPane &pane, QObject *parent)
    : ModuleController(parent)
    , m_switches(pane.switches)
{
    setIdentity(pane.identifier, m_switches.scanKey(), pane.appName);
    setCategories(m_switches.categories());
}

std::function<QString()> ChromiumModuleController::inProfile(const QString &profile,
                                                             const QString &relative)
{
    return home(tracepaths::join(profile, relative));
}

TraceRow ChromiumModuleController::profileRow(const QString &classification, const QString &key,
                                              const QString &profile, const QString &relative,
                                              const QString &kind)
{
    return traceRow(classification, key, inProfile(profile, relative), kind);
}

TraceRow ChromiumModuleController::countRow(const QString &classification, const QString &key,
                                            std::function<QString()> database, const QString &table,
                                            TraceRow::Probe probe)
{
    TraceRow row = traceRow(classification, key, std::move(database), u"Sqlite"_s);
    row.offer = TraceRow::Offer::Count;
    row.probe = probe;
    row.countStatement = u"SELECT count(*) FROM %1;"_s.arg(table);
    row.route = TraceRow::Route::Sql;
    row.statement = u"DELETE FROM %1;"_s.arg(table);
    return row;
}

QList<TraceRow> ChromiumModuleController::browsingRows(const QString &key, const QString &profile,
                                                       bool archived)
{
    const auto history = inProfile(profile, historyFile);
    QList<TraceRow> rows = {
        countRow(u"Browsing History"_s, key, history, u"urls"_s),
        countRow(u"History Segments"_s, key, history, u"segments"_s,
                 TraceRow::Probe::SameConnection),
    };
    if (archived) {
        rows.append(countRow(u"Archived Browsing History"_s, key,
                             inProfile(profile, u"Archived History"_s), u"urls"_s));
    }
    rows.append(historyIndexRow(key, profile));
    return rows;
}

QList<TraceRow> ChromiumModuleController::downloadRows(const QString &key, const QString &profile,
                                                       bool urlChains)
{
    const auto history = inProfile(profile, historyFile);
    QList<TraceRow> rows = {countRow(u"Download History"_s, key, history, u"downloads"_s)};
    if (urlChains) {
        rows.append(countRow(u"Download History URL Chains"_s, key, history,
                             u"downloads_url_chains"_s, TraceRow::Probe::SameConnection));
    }
    return rows;
}

TraceRow ChromiumModuleController::searchRow(const QString &key, const QString &profile)
{
    return countRow(u"Recent Searches"_s, key, inProfile(profile, historyFile),
                    u"keyword_search_terms"_s);
}

TraceRow ChromiumModuleController::formValuesRow(const QString &key, const QString &profile)
{
    TraceRow row = countRow(u"Form Values"_s, key, inProfile(profile, u"Web Data"_s), u"autofill"_s);
    row.statementFor = &formValuesDeleteFor;
    return row;
}

TraceRow ChromiumModuleController::openWindowsRow(const QString &key) const
{
    return traceRow(u"Open Windows"_s, key,
                    home(u"Library/Saved Application State/%1.savedState"_s.arg(identifierString())),
                    u"Dir"_s);
}

QList<TraceRow> ChromiumModuleController::sessionRows(const QString &key, const QString &profile) const
{
    return {
        profileRow(u"Last Session Information"_s, key, profile, u"Current Session"_s),
        profileRow(u"Last Session Tabs"_s, key, profile, u"Current Tabs"_s),
        openWindowsRow(key),
    };
}

TraceRow ChromiumModuleController::historyIndexRow(const QString &key, const QString &profile)
{
    TraceRow row = traceRow(u"Monthly History Index"_s, key, home(profile), u"File"_s);
    row.offer = TraceRow::Offer::Custom;
    row.route = TraceRow::Route::Custom;
    // The sweep runs whether or not the History files exist, open or hold rows.
    row.collect = [this, row] {
        for (const QString &path : HistoryIndexSweep::entriesIn(row.path()))
            offerRow(row, path);
    };
    row.remove = [this, row](const QString &requestPath) {
        removeMonthlyHistoryIndexAtPath(itemFullName(row), row.path(), requestPath);
    };
    return row;
}

TraceRow ChromiumModuleController::localStorageRow(const QString &key, const QString &folder,
                                                   const QStringList &keptPrefixes)
{
    TraceRow row = traceRow(u"DOM Storage"_s, key, home(folder), u"Dir"_s);
    row.offer = TraceRow::Offer::Custom;
    row.route = TraceRow::Route::Custom;
    row.collect = [this, row, keptPrefixes] {
        const QString path = row.path();
        if (LocalStorageKeepList::holdsEntryToRemove(path, keptPrefixes))
            offerRow(row, path);
    };
    row.remove = [this, row, keptPrefixes](const QString &) {
        removeDOMStorage(itemFullName(row), row.path(), keptPrefixes);
    };
    return row;
}

void ChromiumModuleController::removeMonthlyHistoryIndexAtPath(const QString &itemName,
                                                               const QString &profileFolder,
                                                               const QString &path)
{
    // Only what the sweep would offer is moved: any other path under this name is refused.
    if (!HistoryIndexSweep::isEntryOf(profileFolder, path)) {
        sendCleaningStatusUpdateNotificationForItem(itemName, path, false);
        return;
    }
    // The sweep offers an index's journal as a row of its own.
    moveRoute(itemName, path, SideFiles::OwnRows);
}

void ChromiumModuleController::removeDOMStorage(const QString &itemName, const QString &folder,
                                                const QStringList &keptPrefixes)
{
    const QString moved = fileControl() ? LocalStorageKeepList::setAside(*fileControl(), folder, keptPrefixes)
                                        : QString();
    if (moved.isEmpty()) {
        sendCleaningStatusUpdateNotificationForItem(itemName, folder, false);
        return;
    }
    sendRemovalNotificationForItem(itemName, moved, folder);
}
