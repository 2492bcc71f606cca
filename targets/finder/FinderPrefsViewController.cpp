#include "targets/finder/FinderPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/finder/FinderTraceTable.h"

using namespace Qt::StringLiterals;

FinderPrefsViewController::FinderPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"FinderPrefsView"_s, finder::paneSwitches(), parent)
{
    setTitle(u"Finder Settings"_s);
    setIdentifier(QString::fromLatin1(finder::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanFinder"_s, true},
        {u"FinderRecentItems"_s, true},
        {u"FinderQuarantineEvents"_s, true},
        {u"FinderRecentFolders"_s, true},
    });
}
