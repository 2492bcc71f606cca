#include "targets/omniweb/OmniWebPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/omniweb/OmniWebTraceTable.h"

OmniWebPrefsViewController::OmniWebPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("OmniWebPrefsView"), omniweb::paneSwitches(), parent)
{
    setTitle(QStringLiteral("OmniWeb Settings"));
    setIdentifier(QString::fromLatin1(omniweb::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanOmniWeb"), true},
        {QStringLiteral("OmniWebBrowsing"), true},
        {QStringLiteral("OmniWebCache"), true},
        {QStringLiteral("OmniWebCookies"), false},
        {QStringLiteral("OmniWebDownloads"), true},
        {QStringLiteral("OmniWebForms"), true},
        {QStringLiteral("OmniWebWebpageIcons"), true},
    });
}
