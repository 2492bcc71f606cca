#include "targets/shiira/ShiiraPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/shiira/ShiiraTraceTable.h"

using namespace Qt::StringLiterals;

ShiiraPrefsViewController::ShiiraPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"ShiiraPrefsView"_s, shiira::paneSwitches(), parent)
{
    setTitle(u"Shiira Settings"_s);
    setIdentifier(QString::fromLatin1(shiira::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanShiira"_s, true},
        {u"ShiiraBrowsing"_s, true},
        {u"ShiiraCache"_s, true},
        {u"ShiiraCookies"_s, false},
        {u"ShiiraDownloads"_s, true},
        {u"ShiiraLastSession"_s, true},
        {u"ShiiraWebpageIcons"_s, true},
    });
}
