#pragma once

#include "targets/mozilla/MozillaProfileController.h"

// Firefox's traces: history, download history, form values and icons kept as rows of the
// profile's SQLite stores (cleaned in place), and caches, cookies, session files, the saved
// window state and web storage.
class FirefoxController : public MozillaProfileController
{
    Q_OBJECT
public:
    explicit FirefoxController(QObject *parent = nullptr);

    // The profile folder and the cache profile folder, looked up afresh; empty when none.
    QString getFirefoxPath() const { return profileFolder(); }
    QString getFirefoxCachePath() const { return cacheProfileFolder(); }

    bool firefoxHistoryItemsExist() { return historyItemsExist(); }
    bool firefoxURLAutocompleteHistoryItemsExist() { return urlAutocompleteHistoryItemsExist(); }

    // Handler of "CleanFirefox".
    void cleanFirefox(const platform::Notification &request);

protected:
    MasterPrefsViewController *createPane() override;
};
