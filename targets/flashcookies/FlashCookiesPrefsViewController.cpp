#include "targets/flashcookies/FlashCookiesPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/flashcookies/FlashCookiesTraceTable.h"

FlashCookiesPrefsViewController::FlashCookiesPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("FlashCookiesPrefsView"), flashcookies::paneSwitches(), parent)
{
    setTitle(QStringLiteral("Flash Cookies Settings"));
    setIdentifier(QString::fromLatin1(flashcookies::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanFlashCookies"), true},
        {QStringLiteral("FlashCookieHistory"), true},
        {QStringLiteral("FlashCookieSharedObjects"), true},
    });
}
