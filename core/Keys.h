#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

using namespace Qt::StringLiterals;

// The names and keys that more than one file speaks: message names, the keys of their
// dictionaries, settings keys and identifiers. Each is spelled here once; the dictionaries
// several files make have a builder here too, so sender and receiver cannot drift apart.
namespace keys {

// --- Messages ----------------------------------------------------------------------------------

// A module's answer for one row: {cleaningItemAppName, cleaningItemName, cleaningItemPath, didClean}.
inline const QString CleaningStatusUpdateNotification = u"CleaningStatusUpdateNotification"_s;
// A module hands a removal to the engine: {removalItemAppName, removalItemName, removalItemPath,
// removalItemRefPath}.
inline const QString RemovalItemNotification = u"RemovalItemNotification"_s;
// The engine's progress on the row in hand: the row's names and progressPercentage.
inline const QString RemovalProgressNotification = u"RemovalProgressNotification"_s;
inline const QString TempCleaningSuccessNotification = u"TempCleaningSuccessNotification"_s;
inline const QString TempCleaningFailureNotification = u"TempCleaningFailureNotification"_s;
// In the failure's user info: one line per leftover that stayed, with why.
inline const QString TempCleaningLeftItems = u"TempCleaningLeftItems"_s;
inline const QString CFPrefsdNeedsRestartNotification = u"CFPrefsdNeedsRestartNotification"_s;
inline const QString SharedfilelistdNeedsRestartNotification =
    u"SharedfilelistdNeedsRestartNotification"_s;
inline const QString ShredAnimationEndedNotification = u"ShredAnimationEndedNotification"_s;
// The running-application alert: requests to list an application, and its answers.
inline const QString AddAlertItem = u"AddAlertItem"_s;
inline const QString StartScanNotification = u"StartScanNotification"_s;
inline const QString StartShredNotification = u"StartShredNotification"_s;
inline const QString ContinueShredNotification = u"ContinueShredNotification"_s;
inline const QString CancelShredNotification = u"CancelShredNotification"_s;
inline const QString SkipShredItemNotification = u"SkipShredItemNotification"_s;

// A row's cleaning request goes to "Clean" followed by the module's name.
inline QString cleanRequestName(const QString &moduleName)
{
    return u"Clean"_s + moduleName;
}

// --- Dictionary keys ---------------------------------------------------------------------------

inline const QString CleaningItemAppName = u"cleaningItemAppName"_s;
inline const QString CleaningItemName = u"cleaningItemName"_s;
inline const QString CleaningItemPath = u"cleaningItemPath"_s;
inline const QString DidClean = u"didClean"_s;
inline const QString RemovalItemAppName = u"removalItemAppName"_s;
inline const QString RemovalItemName = u"removalItemName"_s;
inline const QString RemovalItemPath = u"removalItemPath"_s;
inline const QString RemovalItemRefPath = u"removalItemRefPath"_s;
// The engine's removal request: the module's announcement under the engine's own keys.
inline const QString ItemApp = u"itemApp"_s;
inline const QString ItemName = u"itemName"_s;
inline const QString ItemPath = u"itemPath"_s;
inline const QString ItemRefPath = u"itemRefPath"_s;
inline const QString ProgressPercentage = u"progressPercentage"_s;
inline const QString AlertItemIdentifier = u"alertItemIdentifier"_s;
inline const QString AlertItemName = u"alertItemName"_s;
inline const QString AlertItemParent = u"alertItemParent"_s;

// --- Settings ----------------------------------------------------------------------------------

inline const QString RunCount = u"runCount"_s;
inline const QString LastScanCount = u"lastScanCount"_s;
inline const QString EnableAnimations = u"enableAnimations"_s;

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
