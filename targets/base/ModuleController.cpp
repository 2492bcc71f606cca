#include "targets/base/ModuleController.h"

#include "core/AtomicReplace.h"
#include "core/DatabaseController.h"
#include "core/FileController.h"
#include "core/Keys.h"
#include "core/PrefsPaneHost.h"
#include "platform/files/FileManager.h"
#include "platform/plist/PlistLimits.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/UserDefaults.h"
#include "targets/base/CountProbe.h"
#include "targets/base/MasterPrefsViewController.h"

#include <algorithm>

using namespace Qt::StringLiterals;

using platform::FileManager;
using platform::Notification;
using platform::NotificationCenter;
using platform::PropertyList;

ModuleController::ModuleController(QObject *parent)
    : TargetController(parent)
{}

ModuleController::~ModuleController() = default;

void ModuleController::setIdentity(const QString &identifier, const QString &scanKey, const QString &name)
{
    setIdentifierString(identifier);
    setScanString(scanKey);
    setTargetName(name);
}

void ModuleController::init()
{
    TargetController::init();
    if (m_cleanRegistered || targetName().isEmpty())
        return;
    m_cleanRegistered = true;
    NotificationCenter::defaultCenter().addObserver(this, keys::cleanRequestName(targetName()),
                                                    [this](const Notification &request) {
                                                        if (m_cleaningHandler)
                                                            m_cleaningHandler(request);
                                                        else
                                                            dispatchCleaningRequest(request);
                                                    });
}

void ModuleController::setCategories(const QList<Category> &categories)
{
    m_categories = categories;
    platform::UserDefaults &defaults = platform::UserDefaults::standardUserDefaults();
    const QVariantMap registered = defaults.registeredDefaults();
    QVariantMap missing;
    if (!scanString().isEmpty() && !registered.contains(scanString()))
        missing.insert(scanString(), true);
    for (const Category &category : categories) {
        if (!registered.contains(category.key))
            missing.insert(category.key, category.on);
    }
    defaults.registerDefaults(missing);
}

bool ModuleController::checkTarget()
{
    return platform::UserDefaults::standardUserDefaults().boolForKey(scanString());
}

void ModuleController::loadTargetPrefView()
{
    MasterPrefsViewController *pane = createPane();
    if (!pane)
        return;
    if (!prefControl()) {
        delete pane;
        return;
    }
    prefControl()->addItemWithInfo(keys::prefsPane(identifierString(), pane));
}

void ModuleController::addTargetItems()
{
    m_counts.clear();
    const platform::UserDefaults &defaults = platform::UserDefaults::standardUserDefaults();
    for (const Category &category : std::as_const(m_categories)) {
        if (!defaults.boolForKey(category.key))
            continue;
        if (category.collector)
            category.collector();
        else
            collectCategory(category.key);
    }
}

QString ModuleController::itemFullName(const TraceRow &row) const
{
    return targetName() + QLatin1Char(' ') + row.classification;
}

PaneSwitches ModuleController::paneSwitches(const QString &masterLabel) const
{
    return paneSwitchesFor({scanString(), masterLabel}, m_categories);
}

void ModuleController::offerRow(const TraceRow &row, const QString &path)
{
    offerRow(row, path, row.classification);
}

void ModuleController::offerRow(const TraceRow &row, const QString &path, const QString &classification)
{
    if (path.isEmpty())
        return;
    addTargetItemWithDict(keys::targetItemDescription(path, row.kind, classification, row.extraInfo));
}

bool ModuleController::keyNonEmpty(const QString &path, const QStringList &keyPath)
{
    return FileController::listHasElementsAtKeyPath(path, keyPath);
}

void ModuleController::collectCategory(const QString &key)
{
    const FileManager &fm = FileManager::defaultManager();
    CountProbe probe(m_counts);
    for (const TraceRow &row : std::as_const(m_rows)) {
        if (row.categoryKey != key)
            continue;
        // A connection serves only the run of rows that share it.
        if (!(row.offer == TraceRow::Offer::Count && row.probe == TraceRow::Probe::SameConnection))
            probe.close();

        const QString path = row.path ? row.path() : QString();
        switch (row.offer) {
        case TraceRow::Offer::Always:
            offerRow(row, path);
            break;
        case TraceRow::Offer::Exists:
            if (!path.isEmpty() && fm.fileExistsAtPath(path))
                offerRow(row, path);
            break;
        case TraceRow::Offer::KeyNonEmpty:
            if (keyNonEmpty(path, row.keyPath))
                offerRow(row, path);
            break;
        case TraceRow::Offer::EntryNotKept:
            if (!entriesNotKept(path, row.keptPrefixes).isEmpty())
                offerRow(row, path);
            break;
        case TraceRow::Offer::Custom:
            if (row.collect)
                row.collect();
            break;
        case TraceRow::Offer::Count:
            if (row.probe == TraceRow::Probe::OwnConnection) {
                if (CountProbe::itemsExist(m_counts, path, row.countStatement))
                    offerRow(row, path);
                break;
            }
            if (row.probe == TraceRow::Probe::Inline) {
                // Opening a missing file would create it.
                if (path.isEmpty() || !fm.fileExistsAtPath(path) || !probe.open(path))
                    break;
            } else if (!probe.isOpen()) {
                break; // the row before it found no database to share
            }
            const std::optional<int> n = probe.count(row.countStatement);
            if (!n)
                return; // a failed count statement ends this collector
            if (*n > 0)
                offerRow(row, path);
            break;
        }
    }
}

const TraceRow *ModuleController::rowNamed(const QString &itemName) const
{
    for (const TraceRow &row : m_rows) {
        if (itemFullName(row) == itemName)
            return &row;
    }
    return nullptr;
}

void ModuleController::dispatchCleaningRequest(const Notification &request)
{
    const QString itemName = request.userInfo.value(keys::CleaningItemName).toString();
    const QString requestPath = request.userInfo.value(keys::CleaningItemPath).toString();
    const TraceRow *row = rowNamed(itemName);
    if (!row) {
        sendCleaningStatusUpdateNotificationForItem(itemName, requestPath, false);
        return;
    }
    cleanRow(*row, requestPath);
}

void ModuleController::cleanRow(const TraceRow &row, const QString &requestPath)
{
    const QString itemName = itemFullName(row);
    if (row.route == TraceRow::Route::Custom) {
        if (row.remove)
            row.remove(requestPath);
        else
            sendCleaningStatusUpdateNotificationForItem(itemName, requestPath, false);
        return;
    }
    if (row.route == TraceRow::Route::MoveAtRequestPath) {
        if (moveRoute(itemName, requestPath) && row.notice == TraceRow::Notice::SharedFileList)
            postSharedFileListNotice();
        return;
    }

    // The path is worked out again, and the row cleans only the item the user chose: a base
    // that has gone, or now names another folder (a profile removed, so the rule finds the
    // next one), is answered not cleaned on the request's path and nothing is touched.
    const QString path = row.path ? row.path() : QString();
    if (path.isEmpty() || path != requestPath) {
        sendCleaningStatusUpdateNotificationForItem(itemName, requestPath, false);
        return;
    }
    switch (row.route) {
    case TraceRow::Route::Move:
        if (moveRoute(itemName, path) && row.notice == TraceRow::Notice::SharedFileList)
            postSharedFileListNotice();
        break;
    case TraceRow::Route::Sql:
        sqlRoute(itemName, path, row.statementFor ? row.statementFor(path) : row.statement);
        break;
    case TraceRow::Route::KeyRewrite: {
        const QStringList keyPath = row.keyPath;
        auto edit = row.edit ? row.edit : [keyPath](PropertyList &list) { list.removeKeyPath(keyPath); };
        if (keyRewriteRoute(itemName, path, edit, row.beforeWrite) == RewriteOutcome::Written
            && row.notice == TraceRow::Notice::PrefsDaemon)
            postPrefsDaemonNotice();
        break;
    }
    case TraceRow::Route::MoveEntries:
        moveEntriesRoute(itemName, path, row.keptPrefixes);
        break;
    case TraceRow::Route::MoveAtRequestPath:
    case TraceRow::Route::Custom:
        break;
    }
}

bool ModuleController::moveRoute(const QString &itemName, const QString &path, SideFiles sideFiles)
{
    QString moved;
    if (fileControl() && !path.isEmpty()) {
        moved = sideFiles == SideFiles::Along ? fileControl()->temporaryPathForStore(path)
                                              : fileControl()->temporaryPathForFile(path);
    }
    if (moved.isEmpty()) {
        sendCleaningStatusUpdateNotificationForItem(itemName, path, false);
        return false;
    }
    sendRemovalNotificationForItem(itemName, moved, path);
    return true;
}

QStringList ModuleController::entriesNotKept(const QString &path, const QStringList &keptPrefixes)
{
    const FileManager &fm = FileManager::defaultManager();
    const auto attributes = path.isEmpty() ? std::nullopt : fm.attributesOfItemAtPath(path);
    // The kept entries stay where they are; in a folder reached through a link they would
    // be entries of wherever it points.
    if (!attributes || !attributes->isDirectory || attributes->isSymbolicLink)
        return {};
    QStringList entries;
    for (const QString &name : fm.contentsOfDirectoryAtPath(path)) {
        const bool kept = std::any_of(keptPrefixes.cbegin(), keptPrefixes.cend(),
                                      [&name](const QString &prefix) { return name.startsWith(prefix); });
        if (!kept)
            entries.append(tracepaths::join(path, name));
    }
    return entries;
}

bool ModuleController::moveEntriesRoute(const QString &itemName, const QString &path, const QStringList &keptPrefixes)
{
    // Only the entries go, never the folder: a kept entry is never in a set-aside folder,
    // not even for a moment.
    const QStringList entries = entriesNotKept(path, keptPrefixes);
    const QString moved =
        fileControl() && !entries.isEmpty() ? fileControl()->temporaryPathForItems(entries) : QString();
    if (moved.isEmpty()) {
        sendCleaningStatusUpdateNotificationForItem(itemName, path, false);
        return false;
    }
    sendRemovalNotificationForItem(itemName, moved, path);
    return true;
}

bool ModuleController::sqlRoute(const QString &itemName, const QString &path, const QString &statement)
{
    const bool ok = m_dbControl && m_dbControl->didDeleteRecordsWithInfo(statement, path);
    sendCleaningStatusUpdateNotificationForItem(itemName, path, ok);
    return ok;
}

ModuleController::RewriteOutcome ModuleController::keyRewriteRoute(const QString &itemName, const QString &path,
                                                                   const std::function<void(PropertyList &)> &edit,
                                                                   const std::function<void()> &beforeWrite)
{
    auto notCleaned = [&](RewriteOutcome outcome) {
        sendCleaningStatusUpdateNotificationForItem(itemName, path, false);
        return outcome;
    };

    // Everything that can fail without loss is done before the file is touched. A list that
    // is a link, or shares its data with another name, is never rewritten: the rewrite would
    // cut it loose from what it points to or shares.
    platform::ReadFailure failure = platform::ReadFailure::None;
    const std::optional<platform::RegularFile> file =
        FileManager::defaultManager().readRegularFile(path, platform::plistlimits::maxFileBytes, false, &failure);
    if (!file) {
        if (failure == platform::ReadFailure::Missing)
            return notCleaned(RewriteOutcome::Missing);
        if (failure == platform::ReadFailure::NotRegular)
            return notCleaned(RewriteOutcome::NotPlainFile);
        return notCleaned(RewriteOutcome::NotParsed);
    }
    if (file->linkCount != 1)
        return notCleaned(RewriteOutcome::NotPlainFile);
    std::optional<PropertyList> list = PropertyList::fromData(file->data);
    if (!list)
        return notCleaned(RewriteOutcome::NotParsed);
    if (edit)
        edit(*list);
    const std::optional<QByteArray> data = list->toData(); // in the format it was read in
    if (!data || data->isEmpty())
        return notCleaned(RewriteOutcome::NotSerialised);
    // A writer that cannot hold a value would change it silently: the new bytes, read back by
    // the reader that read the file (a standard XML reader for XML), must give the edited
    // tree node for node before they may take the old list's place. That tree holds the file's
    // values exactly: a list holding one the reader cannot keep was refused above.
    const std::optional<PropertyList> readBack = PropertyList::fromData(*data);
    if (!readBack || !readBack->isIdenticalTo(*list))
        return notCleaned(RewriteOutcome::NotSerialised);

    AtomicReplace::Result result = AtomicReplace::Result::Replaced;
    const QString moved = AtomicReplace::replaceKeepingOld(path, *file, *data, beforeWrite, &result);
    if (moved.isEmpty()) {
        return notCleaned(result == AtomicReplace::Result::WriteFailed ? RewriteOutcome::WriteFailed
                                                                       : RewriteOutcome::MoveFailed);
    }
    sendRemovalNotificationForItem(itemName, moved, path);
    return RewriteOutcome::Written;
}

void ModuleController::postPrefsDaemonNotice()
{
    NotificationCenter::defaultCenter().post(keys::CFPrefsdNeedsRestartNotification, this);
}

void ModuleController::postSharedFileListNotice()
{
    NotificationCenter::defaultCenter().post(keys::SharedfilelistdNeedsRestartNotification, this);
}
