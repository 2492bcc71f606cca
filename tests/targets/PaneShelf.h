#pragma once

#include "core/PrefsPaneHost.h"
#include "targets/base/MasterPrefsViewController.h"

#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <vector>

// Takes the panes the way the preferences controller does.
class PaneShelf : public PrefsPaneHost
{
public:
    void addItemWithInfo(const QVariantMap &info) override
    {
        idents.append(info.value(QStringLiteral("ident")).toString());
        panes.emplace_back(qobject_cast<MasterPrefsViewController *>(
            info.value(QStringLiteral("vController")).value<QObject *>()));
    }
    void observeValueForKeyPath(const QString &, int, const QVariant &, const QVariant &) override {}

    QStringList idents;
    std::vector<std::unique_ptr<MasterPrefsViewController>> panes;
};
