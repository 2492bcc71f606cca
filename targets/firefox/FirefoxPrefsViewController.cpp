#include "targets/firefox/FirefoxPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/firefox/FirefoxTraceTable.h"

FirefoxPrefsViewController::FirefoxPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("FirefoxPrefsView"), firefox::paneSwitches(), parent)
{
    setTitle(QStringLiteral("Firefox Settings"));
    setIdentifier(QString::fromLatin1(firefox::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanFirefox"), true},
        {QStringLiteral("FirefoxBrowsing"), true},
        {QStringLiteral("FirefoxCache"), true},
        {QStringLiteral("FirefoxCookies"), false},
        {QStringLiteral("FirefoxDownloads"), true},
        {QStringLiteral("FirefoxForms"), true},
        {QStringLiteral("FirefoxLastSession"), true},
        {QStringLiteral("FirefoxRecentSearches"), true},
        {QStringLiteral("FirefoxWebpageIcons"), true},
        {QStringLiteral("FirefoxDOM"), true},
    });
}
