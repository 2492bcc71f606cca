#include "targets/icab/iCabPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/icab/iCabTraceTable.h"

iCabPrefsViewController::iCabPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("iCabPrefsView"), icab::paneSwitches(), parent)
{
    setTitle(QStringLiteral("iCab Settings"));
    setIdentifier(QString::fromLatin1(icab::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScaniCab"), true},
        {QStringLiteral("iCabBrowsing"), true},
        {QStringLiteral("iCabCache"), true},
        {QStringLiteral("iCabCookies"), false},
        {QStringLiteral("iCabDownloads"), true},
        {QStringLiteral("iCabLastSession"), true},
        {QStringLiteral("iCabRecentSearches"), true},
        {QStringLiteral("iCabTopSites"), true},
        {QStringLiteral("iCabWebpageIcons"), true},
        {QStringLiteral("iCabDOM"), true},
    });
}
