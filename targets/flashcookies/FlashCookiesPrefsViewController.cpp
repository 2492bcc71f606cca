#include "targets/flashcookies/FlashCookiesPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/flashcookies/FlashCookiesTraceTable.h"

using namespace Qt::StringLiterals;

FlashCookiesPrefsViewController::FlashCookiesPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"FlashCookiesPrefsView"_s, flashcookies::paneSwitches(), parent)
{
    setTitle(u"Flash Cookies Settings"_s);
    setIdentifier(QString::fromLatin1(flashcookies::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanFlashCookies"_s, true},
        {u"FlashCookieHistory"_s, true},
        {u"FlashCookieSharedObjects"_s, true},
    });
}
