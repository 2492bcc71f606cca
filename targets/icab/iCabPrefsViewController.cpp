#include "targets/icab/iCabPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/icab/iCabTraceTable.h"

using namespace Qt::StringLiterals;

iCabPrefsViewController::iCabPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"iCabPrefsView"_s, icab::paneSwitches(), parent)
{
    setTitle(u"iCab Settings"_s);
    setIdentifier(QString::fromLatin1(icab::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScaniCab"_s, true},
        {u"iCabBrowsing"_s, true},
        {u"iCabCache"_s, true},
        {u"iCabCookies"_s, false},
        {u"iCabDownloads"_s, true},
        {u"iCabLastSession"_s, true},
        {u"iCabRecentSearches"_s, true},
        {u"iCabTopSites"_s, true},
        {u"iCabWebpageIcons"_s, true},
        {u"iCabDOM"_s, true},
    });
}
