#include "targets/camino/CaminoPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/camino/CaminoTraceTable.h"

using namespace Qt::StringLiterals;

CaminoPrefsViewController::CaminoPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"CaminoPrefsView"_s, camino::paneSwitches(), parent)
{
    setTitle(u"Camino Settings"_s);
    setIdentifier(QString::fromLatin1(camino::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanCamino"_s, true},
        {u"CaminoBrowsing"_s, true},
        {u"CaminoCache"_s, true},
        {u"CaminoCookies"_s, false},
        {u"CaminoDownloads"_s, true},
        {u"CaminoLastSession"_s, true},
        {u"CaminoWebpageIcons"_s, true},
        {u"CaminoDOM"_s, true},
    });
}
