#include "targets/finder/FinderPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/finder/FinderTraceTable.h"

FinderPrefsViewController::FinderPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("FinderPrefsView"), finder::paneSwitches(), parent)
{
    setTitle(QStringLiteral("Finder Settings"));
    setIdentifier(QString::fromLatin1(finder::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanFinder"), true},
        {QStringLiteral("FinderRecentItems"), true},
        {QStringLiteral("FinderQuarantineEvents"), true},
        {QStringLiteral("FinderRecentFolders"), true},
    });
}
