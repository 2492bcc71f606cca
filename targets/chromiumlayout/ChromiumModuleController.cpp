#include "targets/chromiumlayout/ChromiumModuleController.h"

#include "core/FileController.h"
#include "platform/FileManager.h"
#include "targets/chromiumlayout/HistoryIndexSweep.h"
#include "targets/chromiumlayout/LocalStorageKeepList.h"

using tracepaths::home;

namespace {

const QString historyFile = QStringLiteral("History");

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
    TraceRow row = traceRow(classification, key, std::move(database), QStringLiteral("Sqlite"));
    row.offer = TraceRow::Offer::Count;
    row.probe = probe;
    row.countStatement = QStringLiteral("SELECT count(*) FROM %1;").arg(table);
    row.route = TraceRow::Route::Sql;
    row.statement = QStringLiteral("DELETE FROM %1;").arg(table);
    return row;
}

QList<TraceRow> ChromiumModuleController::browsingRows(const QString &key, const QString &profile,
                                                       bool archived)
{
    const auto history = inProfile(profile, historyFile);
    QList<TraceRow> rows = {
        countRow(QStringLiteral("Browsing History"), key, history, QStringLiteral("urls")),
        countRow(QStringLiteral("History Segments"), key, history, QStringLiteral("segments"),
                 TraceRow::Probe::SameConnection),
    };
    if (archived) {
        rows.append(countRow(QStringLiteral("Archived Browsing History"), key,
                             inProfile(profile, QStringLiteral("Archived History")), QStringLiteral("urls")));
    }
    rows.append(historyIndexRow(key, profile));
    return rows;
}

QList<TraceRow> ChromiumModuleController::downloadRows(const QString &key, const QString &profile,
                                                       bool urlChains)
{
    const auto history = inProfile(profile, historyFile);
    QList<TraceRow> rows = {countRow(QStringLiteral("Download History"), key, history, QStringLiteral("downloads"))};
    if (urlChains) {
        rows.append(countRow(QStringLiteral("Download History URL Chains"), key, history,
                             QStringLiteral("downloads_url_chains"), TraceRow::Probe::SameConnection));
    }
    return rows;
}

TraceRow ChromiumModuleController::searchRow(const QString &key, const QString &profile)
{
    return countRow(QStringLiteral("Recent Searches"), key, inProfile(profile, historyFile),
                    QStringLiteral("keyword_search_terms"));
}

TraceRow ChromiumModuleController::openWindowsRow(const QString &key) const
{
    return traceRow(QStringLiteral("Open Windows"), key,
                    home(QStringLiteral("Library/Saved Application State/%1.savedState").arg(identifierString())),
                    QStringLiteral("Dir"));
}

QList<TraceRow> ChromiumModuleController::sessionRows(const QString &key, const QString &profile) const
{
    return {
        profileRow(QStringLiteral("Last Session Information"), key, profile, QStringLiteral("Current Session")),
        profileRow(QStringLiteral("Last Session Tabs"), key, profile, QStringLiteral("Current Tabs")),
        openWindowsRow(key),
    };
}

TraceRow ChromiumModuleController::historyIndexRow(const QString &key, const QString &profile)
{
    TraceRow row = traceRow(QStringLiteral("Monthly History Index"), key, home(profile), QStringLiteral("File"));
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
    TraceRow row = traceRow(QStringLiteral("DOM Storage"), key, home(folder), QStringLiteral("Dir"));
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
    // The kept entries are moved back out of what was set aside; were the folder a link by
    // now, that would move them out of wherever it points.
    const std::optional<platform::FileAttributes> attributes =
        platform::FileManager::defaultManager().attributesOfItemAtPath(folder);
    const bool realFolder = attributes && attributes->isDirectory && !attributes->isSymbolicLink;
    const QString moved = realFolder && fileControl() ? fileControl()->temporaryPathForFile(folder) : QString();
    if (moved.isEmpty()) {
        sendCleaningStatusUpdateNotificationForItem(itemName, folder, false);
        return;
    }
    for (const QString &prefix : keptPrefixes)
        fileControl()->moveFilesWithName(prefix, moved, folder);
    sendRemovalNotificationForItem(itemName, moved, folder);
}
