#include "targets/camino/CaminoPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/camino/CaminoTraceTable.h"

CaminoPrefsViewController::CaminoPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("CaminoPrefsView"), camino::paneSwitches(), parent)
{
    setTitle(QStringLiteral("Camino Settings"));
    setIdentifier(QString::fromLatin1(camino::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanCamino"), true},
        {QStringLiteral("CaminoBrowsing"), true},
        {QStringLiteral("CaminoCache"), true},
        {QStringLiteral("CaminoCookies"), false},
        {QStringLiteral("CaminoDownloads"), true},
        {QStringLiteral("CaminoLastSession"), true},
        {QStringLiteral("CaminoWebpageIcons"), true},
        {QStringLiteral("CaminoDOM"), true},
    });
}
