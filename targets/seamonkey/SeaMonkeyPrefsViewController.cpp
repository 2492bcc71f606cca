#include "targets/seamonkey/SeaMonkeyPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/seamonkey/SeaMonkeyTraceTable.h"

using namespace Qt::StringLiterals;

SeaMonkeyPrefsViewController::SeaMonkeyPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"SeaMonkeyPrefsView"_s, seamonkey::paneSwitches(), parent)
{
    setTitle(u"SeaMonkey Settings"_s);
    setIdentifier(QString::fromLatin1(seamonkey::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanSeaMonkey"_s, true},
        {u"SeaMonkeyBrowsing"_s, true},
        {u"SeaMonkeyCache"_s, true},
        {u"SeaMonkeyCookies"_s, false},
        {u"SeaMonkeyDownloads"_s, true},
        {u"SeaMonkeyForms"_s, true},
        {u"SeaMonkeyLastSession"_s, true},
        {u"SeaMonkeyDOM"_s, true},
    });
}
