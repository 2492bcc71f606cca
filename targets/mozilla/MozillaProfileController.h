#pragma once

#include "targets/base/ModuleController.h"

#include <functional>

// A module whose traces lie in a Mozilla profile folder and a cache profile folder, both
// found by the module's own rule at every use, with the two history probes of the profile's
// places.sqlite.
class MozillaProfileController : public ModuleController
{
    Q_OBJECT
protected:
    MozillaProfileController(std::function<QString()> profile, std::function<QString()> cacheProfile,
                             QObject *parent = nullptr);

    // Empty when the rule finds no folder now.
    QString profileFolder() const { return m_profile(); }
    QString cacheProfileFolder() const { return m_cacheProfile(); }

    // Each on its own connection: any visit, and (older profiles) any typed host.
    bool historyItemsExist();
    bool urlAutocompleteHistoryItemsExist();

private:
    QString placesPath() const;

    std::function<QString()> m_profile;
    std::function<QString()> m_cacheProfile;
};
