#pragma once

#include "core/Keys.h"
#include "core/PrefsPaneHost.h"
#include "targets/base/MasterPrefsViewController.h"

#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

// Takes the panes the way the preferences controller does.
class PaneShelf : public PrefsPaneHost
{
public:
    void addItemWithInfo(const QVariantMap &info) override
    {
        idents.append(info.value(keys::Ident).toString());
        panes.emplace_back(qobject_cast<MasterPrefsViewController *>(info.value(keys::VController).value<QObject *>()));
    }
    void observeValueForKeyPath(const QString &, int, const QVariant &, const QVariant &) override {}

    QStringList idents;
    std::vector<std::unique_ptr<MasterPrefsViewController>> panes;
};
