#pragma once

#include "targets/base/ModuleController.h"
#include "targets/chromiumlayout/ChromiumLayoutPrefsViewController.h"

using namespace Qt::StringLiterals;

// The base of the modules whose browsers keep a Chromium-layout profile (Chrome, Chromium,
// Opera, Flock): the rows those profiles share, built from a profile folder, and the two
// mechanisms of that layout, the history-index sweep and the Local Storage keep-list. Each
// module gives its own folders, keys and kept prefixes.
//
// Folders are given relative to the home folder and joined to it at every use.
class ChromiumModuleController : public ModuleController
{
    Q_OBJECT
protected:
    // Takes the module's identity and switches from what its pane shows.
    explicit ChromiumModuleController(const ChromiumPane &pane, QObject *parent = nullptr);

    // The category key of a switch word: "chromeDOM" for "DOM".
    QString key(const QString &word) const { return m_switches.key(word); }

    static std::function<QString()> inProfile(const QString &profile, const QString &relative);
    // A row moved whole, at `relative` inside the profile.
    static TraceRow profileRow(const QString &classification, const QString &key, const QString &profile,
                               const QString &relative, const QString &kind = u"File"_s);
    // A row offered while `table` of the database holds rows and cleaned by emptying it.
    static TraceRow countRow(const QString &classification, const QString &key, std::function<QString()> database,
                             const QString &table, TraceRow::Probe probe = TraceRow::Probe::Inline);

    // "Browsing History" and "History Segments" on one connection to History, then, when
    // `archived`, "Archived Browsing History", then the monthly history-index rows.
    QList<TraceRow> browsingRows(const QString &key, const QString &profile, bool archived);
    // "Download History", then, when `urlChains`, "Download History URL Chains" on the same
    // connection. The list is cleared in History and in the browser's download store.
    QList<TraceRow> downloadRows(const QString &key, const QString &profile, bool urlChains);
    static TraceRow searchRow(const QString &key, const QString &profile);
    // "Form Values": the form history inside Web Data, offered while it holds rows and
    // deleted in place; the file's cards, addresses and search engines stay.
    static TraceRow formValuesRow(const QString &key, const QString &profile);
    // The browser's saved windows ("Library/Saved Application State/<identifier>.savedState").
    TraceRow openWindowsRow(const QString &key) const;
    // "Last Session Information", "Last Session Tabs", then "Open Windows". The first two
    // are the files "Current Session" and "Current Tabs" where they exist; otherwise each
    // "Session_<n>" and "Tabs_<n>" file of "Sessions", where the browser keeps them today.
    QList<TraceRow> sessionRows(const QString &key, const QString &profile);

    // One "Monthly History Index" row per entry the sweep finds directly inside the profile,
    // each cleaned at the path its request carries.
    TraceRow historyIndexRow(const QString &key, const QString &profile);
    // The "DOM Storage" row of a Local Storage folder cleaned with a keep-list.
    TraceRow localStorageRow(const QString &key, const QString &folder, const QStringList &keptPrefixes);

    // Moves the one index entry the request names aside and announces it.
    void removeMonthlyHistoryIndexAtPath(const QString &itemName, const QString &profileFolder, const QString &path);
    // Sets the whole folder aside, puts back what the keep-list keeps and announces the rest.
    void removeDOMStorage(const QString &itemName, const QString &folder, const QStringList &keptPrefixes);
    // Empties the history tables of History, and the most-visited list the browser keeps
    // apart from it in `topSites` when there is one.
    void removeBrowsingHistory(const QString &itemName, const QString &history, const QString &topSites);
    // Empties the download list in History and takes the downloads' records out of the
    // download store `store`, both or neither as far as the store goes: a store that cannot
    // be read leaves History as it was too.
    void removeDownloadHistory(const QString &itemName, const QString &history, const QString &store);

private:
    // A custom remover for `row` that, as the table's routes, cleans only at the row's path
    // worked out again, when it is still the path the request carries.
    std::function<void(const QString &)>
    atScannedPath(const TraceRow &row, std::function<void(const QString &itemName, const QString &path)> clean);
    // A last-session row: the file `oldName` of the profile, or the files of "Sessions" that
    // `pattern` names where that file does not exist.
    TraceRow sessionFileRow(const QString &classification, const QString &key, const QString &profile,
                            const QString &oldName, const QString &pattern);

    ChromiumSwitches m_switches;
};

// A module of the family (built on `Base`) that shows the pane `Pane`.
template <class Pane, class Base = ChromiumModuleController>
class ChromiumLayoutModule : public Base
{
protected:
    using Base::Base;
    MasterPrefsViewController *createPane() override { return new Pane; }
};
