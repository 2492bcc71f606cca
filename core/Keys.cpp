#include "core/Keys.h"

#include "platform/system/Dictionary.h"

using namespace Qt::StringLiterals;

namespace keys {

QVariantMap cleaningRequest(const QString &appName, const QString &itemName, const QString &path)
{
    return platform::dictionaryWithPairs(
        {{CleaningItemAppName, appName}, {CleaningItemName, itemName}, {CleaningItemPath, path}});
}

QVariantMap cleaningStatus(const QString &appName, const QString &itemName, const QString &path, bool didClean)
{
    return platform::dictionaryWithPairs(
        {{CleaningItemAppName, appName}, {CleaningItemName, itemName}, {CleaningItemPath, path}, {DidClean, didClean}});
}

QVariantMap targetLocation(const QString &identifier, const QString &targetName)
{
    return platform::dictionaryWithPairs({{Ident, identifier}, {TargetName, targetName}});
}

QVariantMap locationItem(const QString &name)
{
    return {{LocString, name}};
}

QVariantMap prefsPane(const QString &identifier, QObject *pane)
{
    return {{Ident, identifier}, {VController, QVariant::fromValue(pane)}};
}

QVariantMap locationScan(const QVariant &name, const QVariant &identifier)
{
    return platform::dictionaryWithPairs({{TargName, name}, {TargIdentifier, identifier}});
}

QVariantMap targetFiles(const QVariant &name, const QVariant &identifier, const QVariant &targets)
{
    return platform::dictionaryWithPairs({{TargName, name}, {TargIdentifier, identifier}, {Targets, targets}});
}

QVariantMap targetItemDescription(const QString &path, const QString &type, const QString &classification,
                                  const QVariant &extraInfo)
{
    return {{TargetItemPath, path},
            {TargetItemType, type},
            {TargetItemClassification, classification},
            {TargetItemExtraInfo, extraInfo}};
}

QVariantMap runningApp(const QString &identifier, const QString &name)
{
    return {{AppIdentifier, identifier}, {AppName, name}};
}

QString alertParentTag(AlertParent parent)
{
    switch (parent) {
    case AlertParent::AppControl:
        return u"AppControl"_s;
    case AlertParent::ResultsControl:
        return u"ResultsControl"_s;
    case AlertParent::ResultsControlSingleEntry:
        return u"ResultsControlSingleEntry"_s;
    }
    return {};
}

std::optional<AlertParent> alertParentFromTag(const QString &tag)
{
    for (AlertParent parent :
         {AlertParent::AppControl, AlertParent::ResultsControl, AlertParent::ResultsControlSingleEntry})
        if (tag == alertParentTag(parent))
            return parent;
    return std::nullopt;
}

QVariantMap alertItem(const QVariant &identifier, const QVariant &name, AlertParent parent)
{
    return platform::dictionaryWithPairs(
        {{AlertItemIdentifier, identifier}, {AlertItemName, name}, {AlertItemParent, alertParentTag(parent)}});
}

} // namespace keys
