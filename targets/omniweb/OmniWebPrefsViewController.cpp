#include "targets/omniweb/OmniWebPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/omniweb/OmniWebTraceTable.h"

using namespace Qt::StringLiterals;

OmniWebPrefsViewController::OmniWebPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"OmniWebPrefsView"_s, omniweb::paneSwitches(), parent)
{
    setTitle(u"OmniWeb Settings"_s);
    setIdentifier(QString::fromLatin1(omniweb::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanOmniWeb"_s, true},
        {u"OmniWebBrowsing"_s, true},
        {u"OmniWebCache"_s, true},
        {u"OmniWebCookies"_s, false},
        {u"OmniWebDownloads"_s, true},
        {u"OmniWebForms"_s, true},
        {u"OmniWebWebpageIcons"_s, true},
    });
}
