#include "targets/safari/SafariPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/safari/SafariTraceTable.h"

using namespace Qt::StringLiterals;

SafariPrefsViewController::SafariPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"SafariPrefsView"_s, safari::paneSwitches(), parent)
{
    setTitle(u"Safari Settings"_s);
    setIdentifier(QString::fromLatin1(safari::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanSafari"_s, true},
        {u"SafariBrowsing"_s, true},
        {u"SafariCache"_s, true},
        {u"SafariCookies"_s, false},
        {u"SafariDownloads"_s, true},
        {u"SafariForms"_s, true},
        {u"SafariLastSession"_s, true},
        {u"SafariRecentSearches"_s, true},
        {u"SafariTopSites"_s, true},
        {u"SafariWebpageIcons"_s, true},
        {u"SafariDOM"_s, true},
    });
}
