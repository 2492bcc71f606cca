#include "targets/chromiumlayout/ChromiumModuleController.h"

#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "platform/files/FileManager.h"
#include "targets/base/CountProbe.h"
#include "targets/chromiumlayout/DownloadRecordStore.h"
#include "targets/chromiumlayout/EntrySweep.h"
#include "targets/chromiumlayout/HistoryIndexSweep.h"
#include "targets/chromiumlayout/HistoryTables.h"
#include "targets/chromiumlayout/LocalStorageKeepList.h"

using namespace Qt::StringLiterals;

using tracepaths::home;

namespace {

const QString historyFile = u"History"_s;
const QString sessionsFolder = u"Sessions"_s;

QString browsingHistoryDeleteFor(const QString &path)
{
    return HistoryTables::deleteStatementFor(path, HistoryTables::browsing);
}

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
                .value_or(0)
            > 0)
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

std::function<QString()> ChromiumModuleController::inProfile(const QString &profile, const QString &relative)
{
    return home(tracepaths::join(profile, relative));
}

TraceRow ChromiumModuleController::profileRow(const QString &classification, const QString &key, const QString &profile,
                                              const QString &relative, const QString &kind)
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

std::function<void(const QString &)>
ChromiumModuleController::atScannedPath(const TraceRow &row,
                                        std::function<void(const QString &itemName, const QString &path)> clean)
{
    return [this, row, clean](const QString &requestPath) {
        const QString path = row.path();
        // As every row: only the file the user chose, still at the path scanned.
        if (path.isEmpty() || path != requestPath)
            sendCleaningStatusUpdateNotificationForItem(itemFullName(row), requestPath, false);
        else
            clean(itemFullName(row), path);
    };
}

QList<TraceRow> ChromiumModuleController::browsingRows(const QString &key, const QString &profile, bool archived)
{
    const auto history = inProfile(profile, historyFile);
    // The browser clears its whole history, visits and what it derived from them included,
    // not only the pages; the archived history holds the same tables.
    QList<TraceRow> rows = {
        countRow(u"Browsing History"_s, key, history, u"urls"_s),
        countRow(u"History Segments"_s, key, history, u"segments"_s, TraceRow::Probe::SameConnection),
    };
    TraceRow &pages = rows.first();
    pages.route = TraceRow::Route::Custom;
    const auto topSites = inProfile(profile, HistoryTables::mostVisitedFile);
    pages.remove = atScannedPath(pages, [this, topSites](const QString &itemName, const QString &path) {
        removeBrowsingHistory(itemName, path, topSites());
    });
    if (archived) {
        rows.append(
            countRow(u"Archived Browsing History"_s, key, inProfile(profile, u"Archived History"_s), u"urls"_s));
        rows.last().statementFor = &browsingHistoryDeleteFor;
    }
    rows.append(historyIndexRow(key, profile));
    return rows;
}

QList<TraceRow> ChromiumModuleController::downloadRows(const QString &key, const QString &profile, bool urlChains)
{
    const auto history = inProfile(profile, historyFile);
    QList<TraceRow> rows = {countRow(u"Download History"_s, key, history, u"downloads"_s)};
    TraceRow &list = rows.first();
    list.route = TraceRow::Route::Custom;
    const auto store = inProfile(profile, DownloadRecordStore::folderName);
    list.remove = atScannedPath(list, [this, store](const QString &itemName, const QString &path) {
        removeDownloadHistory(itemName, path, store());
    });
    if (urlChains) {
        rows.append(countRow(u"Download History URL Chains"_s, key, history, u"downloads_url_chains"_s,
                             TraceRow::Probe::SameConnection));
    }
    return rows;
}

TraceRow ChromiumModuleController::searchRow(const QString &key, const QString &profile)
{
    return countRow(u"Recent Searches"_s, key, inProfile(profile, historyFile), u"keyword_search_terms"_s);
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
                    home(u"Library/Saved Application State/%1.savedState"_s.arg(identifierString())), u"Dir"_s);
}

QList<TraceRow> ChromiumModuleController::sessionRows(const QString &key, const QString &profile)
{
    return {
        sessionFileRow(u"Last Session Information"_s, key, profile, u"Current Session"_s, u"Session_[0-9]+"_s),
        sessionFileRow(u"Last Session Tabs"_s, key, profile, u"Current Tabs"_s, u"Tabs_[0-9]+"_s),
        openWindowsRow(key),
    };
}

TraceRow ChromiumModuleController::sessionFileRow(const QString &classification, const QString &key,
                                                  const QString &profile, const QString &oldName,
                                                  const QString &pattern)
{
    TraceRow row = profileRow(classification, key, profile, oldName);
    row.offer = TraceRow::Offer::Custom;
    row.route = TraceRow::Route::Custom;
    const auto sessions = inProfile(profile, sessionsFolder);
    const EntrySweep files(pattern);
    row.collect = [this, row, sessions, files] {
        const QString old = row.path();
        if (platform::FileManager::defaultManager().attributesOfItemAtPath(old)) {
            offerRow(row, old);
            return;
        }
        for (const QString &path : files.entriesIn(sessions()))
            offerRow(row, path);
    };
    row.remove = [this, row, sessions, files](const QString &requestPath) {
        const QString itemName = itemFullName(row);
        const QString old = row.path();
        const bool oldExists = platform::FileManager::defaultManager().attributesOfItemAtPath(old).has_value();
        if (!old.isEmpty() && requestPath == old)
            moveRoute(itemName, old);
        else if (!oldExists && files.isEntryOf(sessions(), requestPath))
            moveRoute(itemName, requestPath, SideFiles::OwnRows);
        else // only what the scan would offer under this name is moved
            sendCleaningStatusUpdateNotificationForItem(itemName, requestPath, false);
    };
    return row;
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

void ChromiumModuleController::removeMonthlyHistoryIndexAtPath(const QString &itemName, const QString &profileFolder,
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
    const QString moved =
        fileControl() ? LocalStorageKeepList::setAside(*fileControl(), folder, keptPrefixes) : QString();
    if (moved.isEmpty()) {
        sendCleaningStatusUpdateNotificationForItem(itemName, folder, false);
        return;
    }
    sendRemovalNotificationForItem(itemName, moved, folder);
}

void ChromiumModuleController::removeBrowsingHistory(const QString &itemName, const QString &history,
                                                     const QString &topSites)
{
    // The most-visited list is only what the browser worked out from the history, so it goes
    // first: were History then not cleared, nothing the browser cannot work out again is lost.
    const QString mostVisited = topSites.isEmpty()
        ? QString()
        : HistoryTables::deleteStatementFor(topSites, HistoryTables::mostVisited, HistoryTables::First::LikeTheRest);
    if (!mostVisited.isEmpty() && !(dbControl() && dbControl()->didDeleteRecordsWithInfo(mostVisited, topSites))) {
        sendCleaningStatusUpdateNotificationForItem(itemName, history, false);
        return;
    }
    sqlRoute(itemName, history, browsingHistoryDeleteFor(history));
}

void ChromiumModuleController::removeDownloadHistory(const QString &itemName, const QString &history,
                                                     const QString &store)
{
    const QString statement = HistoryTables::deleteStatementFor(history, HistoryTables::downloads);
    const platform::FileManager &fm = platform::FileManager::defaultManager();
    const auto attributes = store.isEmpty() ? std::nullopt : fm.attributesOfItemAtPath(store);
    if (!attributes) { // a browser that keeps no such store
        sqlRoute(itemName, history, statement);
        return;
    }
    // The store is read, and its replacement written, before History is touched: a store
    // that cannot be read (a running browser holds it, it is damaged, it is a link) leaves
    // both as they were.
    const DownloadRecordStore::Rewrite rewrite = attributes->isDirectory && !attributes->isSymbolicLink
        ? DownloadRecordStore::writeWithoutDownloads(store)
        : DownloadRecordStore::Rewrite();
    if (rewrite.read && rewrite.fresh.isEmpty()) { // no download in it: only History to clear
        sqlRoute(itemName, history, statement);
        return;
    }
    if (!rewrite.read || !dbControl() || !dbControl()->didDeleteRecordsWithInfo(statement, history)) {
        if (!rewrite.fresh.isEmpty())
            fm.removeItemAtPath(rewrite.fresh);
        sendCleaningStatusUpdateNotificationForItem(itemName, history, false);
        return;
    }
    const QString moved = fileControl()
        ? DownloadRecordStore::replace(*fileControl(), store, rewrite.fresh, attributes->permissions)
        : QString();
    if (moved.isEmpty()) {
        fm.removeItemAtPath(rewrite.fresh);
        sendCleaningStatusUpdateNotificationForItem(itemName, history, false);
        return;
    }
    sendRemovalNotificationForItem(itemName, moved, history);
}
