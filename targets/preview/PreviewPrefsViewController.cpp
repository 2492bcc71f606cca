#include "targets/preview/PreviewPrefsViewController.h"

#include "platform/UserDefaults.h"
#include "targets/preview/PreviewTraceTable.h"

PreviewPrefsViewController::PreviewPrefsViewController(QObject *parent)
    : MasterPrefsViewController(QStringLiteral("PreviewPrefsView"), preview::paneSwitches(), parent)
{
    setTitle(QStringLiteral("Preview Settings"));
    setIdentifier(QString::fromLatin1(preview::identifier));
    platform::UserDefaults::standardUserDefaults().registerDefaults({
        {QStringLiteral("ScanPreview"), true},
        {QStringLiteral("PreviewRecentItems"), true},
    });
}
