#include "core/Keys.h"

#include "platform/Dictionary.h"

namespace keys {

QVariantMap cleaningRequest(const QString &appName, const QString &itemName, const QString &path)
{
    return platform::dictionaryWithPairs({{CleaningItemAppName, appName}, {CleaningItemName, itemName}, {CleaningItemPath, path}});
}

QVariantMap cleaningStatus(const QString &appName, const QString &itemName, const QString &path, bool didClean)
{
    return platform::dictionaryWithPairs(
        {{CleaningItemAppName, appName}, {CleaningItemName, itemName}, {CleaningItemPath, path}, {DidClean, didClean}});
}

QString alertParentTag(AlertParent parent)
{
    switch (parent) {
    case AlertParent::AppControl:
        return QStringLiteral("AppControl");
    case AlertParent::ResultsControl:
        return QStringLiteral("ResultsControl");
    case AlertParent::ResultsControlSingleEntry:
        return QStringLiteral("ResultsControlSingleEntry");
    }
    return {};
}

std::optional<AlertParent> alertParentFromTag(const QString &tag)
{
    for (AlertParent parent : {AlertParent::AppControl, AlertParent::ResultsControl, AlertParent::ResultsControlSingleEntry})
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
