#include "core/Keys.h"

#include "platform/Dictionary.h"

using namespace Qt::StringLiterals;

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
