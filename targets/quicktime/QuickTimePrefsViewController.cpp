#include "targets/quicktime/QuickTimePrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/quicktime/QuickTimeTraceTable.h"

using namespace Qt::StringLiterals;

QuickTimePrefsViewController::QuickTimePrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"QuickTimePrefsView"_s, quicktime::paneSwitches(), parent)
{
    setTitle(u"QuickTime Settings"_s);
    setIdentifier(QString::fromLatin1(quicktime::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanQuickTime"_s, true},
        {u"QuickTimeCache"_s, true},
        {u"QuickTimeQuarantineEvents"_s, true},
        {u"QuickTimeRecentItems"_s, true},
    });
}
