#pragma once

#include "targets/mozilla/MozillaProfileController.h"

// SeaMonkey's traces: history, cookies, downloads and form values kept as rows of the
// profile's SQLite stores (cleaned in place), and the typed history, cache, session files,
// saved window state and web storage.
class SeaMonkeyController : public MozillaProfileController
{
    Q_OBJECT
public:
    explicit SeaMonkeyController(QObject *parent = nullptr);

    // The profile folder and the cache profile folder, looked up afresh; empty when none.
    QString getSeaMonkeyPath() const { return profileFolder(); }
    QString getSeaMonkeyCachePath() const { return cacheProfileFolder(); }

    bool seaMonkeyHistoryItemsExist() { return historyItemsExist(); }
    bool seaMonkeyURLAutocompleteHistoryItemsExist() { return urlAutocompleteHistoryItemsExist(); }

    // Handler of "CleanSeaMonkey".
    void cleanSeaMonkey(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
