#include "targets/shiira/ShiiraPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/shiira/ShiiraTraceTable.h"

ShiiraPrefsViewController::ShiiraPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("ShiiraPrefsView"), shiira::paneSwitches(), parent)
{
    setTitle(QStringLiteral("Shiira Settings"));
    setIdentifier(QString::fromLatin1(shiira::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanShiira"), true},
        {QStringLiteral("ShiiraBrowsing"), true},
        {QStringLiteral("ShiiraCache"), true},
        {QStringLiteral("ShiiraCookies"), false},
        {QStringLiteral("ShiiraDownloads"), true},
        {QStringLiteral("ShiiraLastSession"), true},
        {QStringLiteral("ShiiraWebpageIcons"), true},
    });
}
