#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

// What the modules need of the preferences controller: it takes their settings panes and is
// told when a module's master switch changes. The preferences controller implements it.
class PrefsPaneHost
{
public:
    virtual ~PrefsPaneHost() = default;

    // Pane registration: keys::prefsPane(the module's identifier, the pane).
    // The host keeps the pane.
    virtual void addItemWithInfo(const QVariantMap &info) = 0;

    // A watched user-defaults key changed (kind 1 = set), on the thread that set it.
    // The host stays registered until a module removes it, so it must outlive its modules'
    // registrations (or remove them itself with UserDefaults::removeObserver(key, this)).
    virtual void observeValueForKeyPath(const QString &key, int kind, const QVariant &oldValue,
                                        const QVariant &newValue) = 0;
};
