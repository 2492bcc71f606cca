#include "targets/firefox/FirefoxPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/firefox/FirefoxTraceTable.h"

using namespace Qt::StringLiterals;

FirefoxPrefsViewController::FirefoxPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"FirefoxPrefsView"_s, firefox::paneSwitches(), parent)
{
    setTitle(u"Firefox Settings"_s);
    setIdentifier(QString::fromLatin1(firefox::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanFirefox"_s, true},
        {u"FirefoxBrowsing"_s, true},
        {u"FirefoxCache"_s, true},
        {u"FirefoxCookies"_s, false},
        {u"FirefoxDownloads"_s, true},
        {u"FirefoxForms"_s, true},
        {u"FirefoxLastSession"_s, true},
        {u"FirefoxRecentSearches"_s, true},
        {u"FirefoxWebpageIcons"_s, true},
        {u"FirefoxDOM"_s, true},
    });
}
