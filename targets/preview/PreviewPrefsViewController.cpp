#include "targets/preview/PreviewPrefsViewController.h"

#include "platform/system/UserDefaults.h"
#include "targets/preview/PreviewTraceTable.h"

using namespace Qt::StringLiterals;

PreviewPrefsViewController::PreviewPrefsViewController(QObject *parent)
    : MasterPrefsViewController(u"PreviewPrefsView"_s, preview::paneSwitches(), parent)
{
    setTitle(u"Preview Settings"_s);
    setIdentifier(QString::fromLatin1(preview::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {u"ScanPreview"_s, true},
        {u"PreviewRecentItems"_s, true},
    });
}
