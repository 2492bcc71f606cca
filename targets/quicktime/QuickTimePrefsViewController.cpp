#include "targets/quicktime/QuickTimePrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/quicktime/QuickTimeTraceTable.h"

QuickTimePrefsViewController::QuickTimePrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("QuickTimePrefsView"), quicktime::paneSwitches(), parent)
{
    setTitle(QStringLiteral("QuickTime Settings"));
    setIdentifier(QString::fromLatin1(quicktime::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanQuickTime"), true},
        {QStringLiteral("QuickTimeCache"), true},
        {QStringLiteral("QuickTimeQuarantineEvents"), true},
        {QStringLiteral("QuickTimeRecentItems"), true},
    });
}
