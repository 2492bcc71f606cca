#pragma once

#include "targets/base/PaneSwitches.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace platform {
class PropertyList;
}

// One line of a module's trace table: what the row is called, which category switch offers
// it, where it lies, when it is offered and how it is cleaned. A module is its identity, its
// table and, where the table cannot say it, a few functions of its own.
struct TraceRow
{
    // When the row is offered (its collector tests this, in table order).
    enum class Offer {
        Always,       // no test; the file service drops a missing path
        Exists,       // something exists at the path
        Count,        // the file exists and countStatement counts more than 0
        KeyNonEmpty,  // the list at the path parses and the value at keyPath has elements
        EntryNotKept, // the path is a folder (not a link) with an entry directly inside it
                      // whose name begins with none of keptPrefixes
        Custom,       // collect() decides and offers
    };
    // How a Count row's statement runs.
    enum class Probe {
        Inline,         // its own connection; a failed statement ends the collector
        OwnConnection,  // a probe of its own returning yes/no; a failure withholds this row only
        SameConnection, // on the connection of the row before it (same file, not reopened)
    };
    enum class Route {
        Move,              // moved into the temporary folder and announced for removal
        MoveAtRequestPath, // the same on the path the cleaning request carries
        Sql,               // statement run in place by the database service
        KeyRewrite,        // the list is edited and written back; the old file is destroyed
        MoveEntries,       // the folder's entries that are not kept are moved aside as one
                           // item; the folder and its kept entries stay
        Custom,            // remove() does it
    };
    // Daemon notice after cleaning: the preferences daemon once the edited list has been
    // written back; the shared-file-list daemon once the file has been moved aside.
    enum class Notice { None, PrefsDaemon, SharedFileList };

    QString classification; // item full name = targetName + " " + classification
    QString categoryKey;
    std::function<QString()> path; // worked out afresh at each use; empty when it cannot be
    QString kind;                  // "File", "Dir", "Sqlite" or "Plist"
    QString extraInfo;             // the removed key for "Plist" rows

    Offer offer = Offer::Always;
    Probe probe = Probe::Inline;
    QString countStatement;   // Offer::Count
    QStringList keyPath;      // Offer::KeyNonEmpty, and the key a plain KeyRewrite removes
    QStringList keptPrefixes; // Offer::EntryNotKept and Route::MoveEntries

    Route route = Route::Move;
    QString statement; // Route::Sql
    // Route::Sql: when set, the statement for the database at the path, worked out when the
    // row is cleaned (the file's own tables decide it); `statement` otherwise.
    std::function<QString(const QString &path)> statementFor;
    Notice notice = Notice::None;

    // Offer::Custom: offers this row's items itself (with ModuleController::offerRow).
    std::function<void()> collect;
    // Route::KeyRewrite: the edit made on the parsed list (default: remove keyPath).
    std::function<void(platform::PropertyList &)> edit;
    // Route::KeyRewrite: run after the old file has been moved aside, just before the edited
    // list is written (a module deletes a stale lock file there).
    std::function<void()> beforeWrite;
    // Route::Custom: removes the row; takes the path the cleaning request carries.
    std::function<void(const QString &requestPath)> remove;
};

// A category switch: the key that addTargetItems reads, the text of its check box, its
// collector (empty: the rows of the table with this key, offered in table order) and whether
// it is on before the user chooses (the bundled defaults lists agree; a test compares them).
struct Category
{
    QString key;
    QString label;
    std::function<void()> collector;
    bool on = true;
};

// A row offered without a test and cleaned by the move route; callers change what differs.
TraceRow traceRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                  const QString &kind);
// Cleaned in place by `deleteStatement`; offered while the file exists and `countStatement`
// counts more than 0.
TraceRow sqlRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                const QString &countStatement, const QString &deleteStatement,
                TraceRow::Probe probe = TraceRow::Probe::Inline);
// A folder of which only some entries go: offered while it holds an entry whose name begins
// with none of `keptPrefixes`, cleaned by moving those entries aside.
TraceRow keptEntriesRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                        const QStringList &keptPrefixes);
// A root key of a property list: a "Plist" row offered while the key holds elements and
// cleaned by writing the list back without it (no daemon notice unless the caller sets one).
TraceRow keyRewriteRow(const QString &classification, const QString &categoryKey, std::function<QString()> path,
                       const QString &key);

// A pane's switches: the master switch, then one per category in the module's order.
PaneSwitches paneSwitchesFor(const PaneSwitch &master, const QList<Category> &categories);

namespace tracepaths {
// "a/" + "/b" -> "a/b": one separator between the two parts.
QString join(const QString &base, const QString &relative);
// Functions that join a fixed relative path at each call, so that the home folder and the
// per-user temporary directory are read when the path is used.
std::function<QString()> home(const QString &relative);
std::function<QString()> temporaryDirectory(const QString &relative);
} // namespace tracepaths
