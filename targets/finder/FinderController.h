#pragma once

#include "targets/base/ModuleController.h"

// The Finder's and Launch Services' traces. Beyond its table, the module rewrites two
// system lists itself: the recent-items list (after which System Events forgets the items)
// and the Finder's recent folders (after which the preferences daemon and the Finder
// restart, so that neither writes the old list back).
class FinderController : public ModuleController
{
    Q_OBJECT
public:
    explicit FinderController(QObject *parent = nullptr);

    // Handler of "CleanFinder".
    void cleanFinder(const platform::Notification &request);

    void addFinderRecentItems();
    void removeFinderRecentItems();
    void removeFinderRecentFolders();

    // Each starts the restart tool and returns without waiting for it; main thread only.
    void restartCFPrefsd();
    void restartFinder();

protected:
    MasterPrefsViewController *createPane() override;

private:
    // The rows the module finishes, by their place in its table.
    const TraceRow &tableRow(int index) const;
    QString itemName(int index) const;
};
