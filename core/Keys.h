#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// The names and keys that more than one file speaks: message names, the keys of their
// dictionaries, settings keys and identifiers. Each is spelled here once; the dictionaries
// several files make have a builder here too, so sender and receiver cannot drift apart.
namespace keys {

// --- Messages ----------------------------------------------------------------------------------

// A module's answer for one row: {cleaningItemAppName, cleaningItemName, cleaningItemPath, didClean}.
inline const QString CleaningStatusUpdateNotification = QStringLiteral("CleaningStatusUpdateNotification");
// A module hands a removal to the engine: {removalItemAppName, removalItemName, removalItemPath,
// removalItemRefPath}.
inline const QString RemovalItemNotification = QStringLiteral("RemovalItemNotification");
// The engine's progress on the row in hand: the row's names and progressPercentage.
inline const QString RemovalProgressNotification = QStringLiteral("RemovalProgressNotification");
inline const QString TempCleaningSuccessNotification = QStringLiteral("TempCleaningSuccessNotification");
inline const QString TempCleaningFailureNotification = QStringLiteral("TempCleaningFailureNotification");
inline const QString CFPrefsdNeedsRestartNotification = QStringLiteral("CFPrefsdNeedsRestartNotification");
inline const QString SharedfilelistdNeedsRestartNotification =
    QStringLiteral("SharedfilelistdNeedsRestartNotification");
inline const QString ShredAnimationEndedNotification = QStringLiteral("ShredAnimationEndedNotification");
// The running-application alert: requests to list an application, and its answers.
inline const QString AddAlertItem = QStringLiteral("AddAlertItem");
inline const QString StartScanNotification = QStringLiteral("StartScanNotification");
inline const QString StartShredNotification = QStringLiteral("StartShredNotification");
inline const QString ContinueShredNotification = QStringLiteral("ContinueShredNotification");
inline const QString CancelShredNotification = QStringLiteral("CancelShredNotification");
inline const QString SkipShredItemNotification = QStringLiteral("SkipShredItemNotification");

// A row's cleaning request goes to "Clean" followed by the module's name.
inline QString cleanRequestName(const QString &moduleName)
{
    return QStringLiteral("Clean") + moduleName;
}

// --- Dictionary keys ---------------------------------------------------------------------------

inline const QString CleaningItemAppName = QStringLiteral("cleaningItemAppName");
inline const QString CleaningItemName = QStringLiteral("cleaningItemName");
inline const QString CleaningItemPath = QStringLiteral("cleaningItemPath");
inline const QString DidClean = QStringLiteral("didClean");
inline const QString RemovalItemAppName = QStringLiteral("removalItemAppName");
inline const QString RemovalItemName = QStringLiteral("removalItemName");
inline const QString RemovalItemPath = QStringLiteral("removalItemPath");
inline const QString RemovalItemRefPath = QStringLiteral("removalItemRefPath");
// The engine's removal request: the module's announcement under the engine's own keys.
inline const QString ItemApp = QStringLiteral("itemApp");
inline const QString ItemName = QStringLiteral("itemName");
inline const QString ItemPath = QStringLiteral("itemPath");
inline const QString ItemRefPath = QStringLiteral("itemRefPath");
inline const QString ProgressPercentage = QStringLiteral("progressPercentage");
inline const QString AlertItemIdentifier = QStringLiteral("alertItemIdentifier");
inline const QString AlertItemName = QStringLiteral("alertItemName");
inline const QString AlertItemParent = QStringLiteral("alertItemParent");

// --- Settings ----------------------------------------------------------------------------------

inline const QString RunCount = QStringLiteral("runCount");
inline const QString LastScanCount = QStringLiteral("lastScanCount");
inline const QString EnableAnimations = QStringLiteral("enableAnimations");

// --- Identifiers -------------------------------------------------------------------------------

// The Flash cookies module (a row identifier with no application to quit) and the Chromium
// panes' switch word of the same name. Plain characters for the tables that are built at compile time.
inline constexpr char FlashCookiesId[] = "FlashCookies";
inline const QString FlashCookies = QString::fromLatin1(FlashCookiesId);

// --- Builders ----------------------------------------------------------------------------------

// Built from pairs, so a dictionary ends at its first null value.
// A row's cleaning request, as the results table sends it.
QVariantMap cleaningRequest(const QString &appName, const QString &itemName, const QString &path);
// A module's answer for a row: the request's names and whether the row was cleaned.
QVariantMap cleaningStatus(const QString &appName, const QString &itemName, const QString &path, bool didClean);

// Who asked the running-application alert, and so what its buttons answer.
enum class AlertParent { AppControl, ResultsControl, ResultsControlSingleEntry };
// The tag carried under AlertItemParent ("AppControl", "ResultsControl", "ResultsControlSingleEntry").
QString alertParentTag(AlertParent parent);
std::optional<AlertParent> alertParentFromTag(const QString &tag);
// Asks the alert to list an application if it runs.
QVariantMap alertItem(const QVariant &identifier, const QVariant &name, AlertParent parent);

} // namespace keys
