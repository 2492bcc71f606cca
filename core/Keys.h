#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <optional>

using namespace Qt::StringLiterals;

// The names and keys that more than one file speaks: message names, the keys of their
// dictionaries and identifiers (the settings' keys are in Settings.h). Each is spelled here
// once; the dictionaries several files make have a builder here too, so sender and receiver
// cannot drift apart.
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
// The environment variable in which the secure-removal tool is told its parent's pid, so
// that it ends rather than work on when the program has already gone.
inline const QString ParentPidVariable = u"NIMBREL_PARENT_PID"_s;
inline const QString CFPrefsdNeedsRestartNotification = u"CFPrefsdNeedsRestartNotification"_s;
inline const QString SharedfilelistdNeedsRestartNotification = u"SharedfilelistdNeedsRestartNotification"_s;
inline const QString ShredAnimationEndedNotification = u"ShredAnimationEndedNotification"_s;
// The running-application alert: requests to list an application, and its answers.
inline const QString AddAlertItem = u"AddAlertItem"_s;
inline const QString StartScanNotification = u"StartScanNotification"_s;
inline const QString StartShredNotification = u"StartShredNotification"_s;
inline const QString ContinueShredNotification = u"ContinueShredNotification"_s;
inline const QString CancelShredNotification = u"CancelShredNotification"_s;
inline const QString SkipShredItemNotification = u"SkipShredItemNotification"_s;
// The locations list and the modules: a module offers its location when its application is
// installed (AddTargetLocation, {Ident, TargetName}), the settings add or withdraw one
// (AddLocationItem, RemoveLocationItem, {LocString}), a scan asks the module of each checked
// location for its candidates (ScanLocations, then CheckLocationItems, {TargName, TargIdentifier}),
// and the module hands them to the file service (CheckTargetFiles, the same and Targets).
inline const QString AddTargetLocation = u"AddTargetLocation"_s;
inline const QString AddLocationItem = u"AddLocationItem"_s;
inline const QString RemoveLocationItem = u"RemoveLocationItem"_s;
inline const QString ScanLocations = u"ScanLocations"_s;
inline const QString CheckLocationItems = u"CheckLocationItems"_s;
inline const QString CheckTargetFiles = u"CheckTargetFiles"_s;
inline const QString CheckTargetLocations = u"CheckTargetLocations"_s;
// The settings window and the modules' panes ({Ident, VController}).
inline const QString CheckInstalledApps = u"CheckInstalledApps"_s;
inline const QString LoadPrefsViews = u"LoadPrefsViews"_s;
inline const QString RemovePrefsObservers = u"RemovePrefsObservers"_s;
inline const QString DisplayMainWindow = u"DisplayMainWindow"_s;
// A window's live resize, as the main window hears it.
inline const QString WindowWillStartLiveResizeNotification = u"NSWindowWillStartLiveResizeNotification"_s;
inline const QString WindowDidEndLiveResizeNotification = u"NSWindowDidEndLiveResizeNotification"_s;
// Tips: each shown by its name and hidden by the name with "End".
inline const QString ToggleTipsOn = u"ToggleTipsOn"_s;
inline const QString ToggleTipsOff = u"ToggleTipsOff"_s;
inline const QString PrefsTips = u"PrefsTips"_s;
inline const QString PrefsTipsEnd = u"PrefsTipsEnd"_s;
inline const QString MainTips = u"MainTips"_s;
inline const QString MainTipsEnd = u"MainTipsEnd"_s;
inline const QString MainTipsZoom = u"MainTipsZoom"_s;
inline const QString ResultsTips = u"ResultsTips"_s;
inline const QString ResultsTipsEnd = u"ResultsTipsEnd"_s;
inline const QString ResultsTipsZoom = u"ResultsTipsZoom"_s;
inline const QString CleaningStatusTips = u"CleaningStatusTips"_s;
inline const QString CleaningStatusTipsEnd = u"CleaningStatusTipsEnd"_s;
inline const QString CleanSystemTip = u"CleanSystemTip"_s;
inline const QString CleanSystemTipEnd = u"CleanSystemTipEnd"_s;
inline const QString TempCleaningFailTip = u"TempCleaningFailTip"_s;
inline const QString TempCleaningFailTipEnd = u"TempCleaningFailTipEnd"_s;
inline const QString CancelShredTipText = u"CancelShredTipText"_s;

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
inline const QString Ident = u"ident"_s;
inline const QString TargetName = u"targetName"_s;
inline const QString VController = u"vController"_s;
inline const QString LocString = u"locString"_s;
inline const QString TargName = u"targName"_s;
inline const QString TargIdentifier = u"targIdentifier"_s;
// QVariant::fromValue(targetItemList).
inline const QString Targets = u"targets"_s;
// A module's description of one candidate.
inline const QString TargetItemPath = u"targetItemPath"_s;
inline const QString TargetItemType = u"targetItemType"_s;
inline const QString TargetItemClassification = u"targetItemClassification"_s;
inline const QString TargetItemExtraInfo = u"targetItemExtraInfo"_s;
// A row's application, as the cleaning run asks the alert about it.
inline const QString AppIdentifier = u"appIdentifier"_s;
inline const QString AppName = u"appName"_s;

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

// A module's location offer, and the settings' request to add or withdraw a location.
QVariantMap targetLocation(const QString &identifier, const QString &targetName);
QVariantMap locationItem(const QString &name);
// A module's settings pane, handed to the settings window.
QVariantMap prefsPane(const QString &identifier, QObject *pane);
// A scan of one location; the batch of candidates its module answers with (`targets` is
// QVariant::fromValue(targetItemList)).
QVariantMap locationScan(const QVariant &name, const QVariant &identifier);
QVariantMap targetFiles(const QVariant &name, const QVariant &identifier, const QVariant &targets);
// One candidate as a module describes it.
QVariantMap targetItemDescription(const QString &path, const QString &type, const QString &classification,
                                  const QVariant &extraInfo = {});
// A row's application: {AppIdentifier, AppName}.
QVariantMap runningApp(const QString &identifier, const QString &name);

// Who asked the running-application alert, and so what its buttons answer.
enum class AlertParent { AppControl, ResultsControl, ResultsControlSingleEntry };
// The tag carried under AlertItemParent ("AppControl", "ResultsControl", "ResultsControlSingleEntry").
QString alertParentTag(AlertParent parent);
std::optional<AlertParent> alertParentFromTag(const QString &tag);
// Asks the alert to list an application if it runs.
QVariantMap alertItem(const QVariant &identifier, const QVariant &name, AlertParent parent);

} // namespace keys
