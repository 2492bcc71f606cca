#include "targets/seamonkey/SeaMonkeyPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/seamonkey/SeaMonkeyTraceTable.h"

SeaMonkeyPrefsViewController::SeaMonkeyPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("SeaMonkeyPrefsView"), seamonkey::paneSwitches(), parent)
{
    setTitle(QStringLiteral("SeaMonkey Settings"));
    setIdentifier(QString::fromLatin1(seamonkey::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanSeaMonkey"), true},
        {QStringLiteral("SeaMonkeyBrowsing"), true},
        {QStringLiteral("SeaMonkeyCache"), true},
        {QStringLiteral("SeaMonkeyCookies"), false},
        {QStringLiteral("SeaMonkeyDownloads"), true},
        {QStringLiteral("SeaMonkeyForms"), true},
        {QStringLiteral("SeaMonkeyLastSession"), true},
        {QStringLiteral("SeaMonkeyDOM"), true},
    });
}
