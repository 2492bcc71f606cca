#include "targets/safari/SafariPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/safari/SafariTraceTable.h"

SafariPrefsViewController::SafariPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("SafariPrefsView"), safari::paneSwitches(), parent)
{
    setTitle(QStringLiteral("Safari Settings"));
    setIdentifier(QString::fromLatin1(safari::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanSafari"), true},
        {QStringLiteral("SafariBrowsing"), true},
        {QStringLiteral("SafariCache"), true},
        {QStringLiteral("SafariCookies"), false},
        {QStringLiteral("SafariDownloads"), true},
        {QStringLiteral("SafariForms"), true},
        {QStringLiteral("SafariLastSession"), true},
        {QStringLiteral("SafariRecentSearches"), true},
        {QStringLiteral("SafariTopSites"), true},
        {QStringLiteral("SafariWebpageIcons"), true},
        {QStringLiteral("SafariDOM"), true},
    });
}
