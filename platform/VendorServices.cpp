#include "platform/VendorServices.h"

#include "platform/UserDefaults.h"
#include "platform/Workspace.h"

#include <QUrl>

namespace platform {

namespace {

QString host(const QString &key, const QString &fallback)
{
    QString value = UserDefaults::standardUserDefaults().stringForKey(key);
    if (value.isEmpty())
        value = fallback;
    while (value.endsWith(QLatin1Char('/')))
        value.chop(1);
    return value;
}

} // namespace

void VendorServices::sendTrackingReport()
{
}

void VendorServices::setupIssuesController(bool reportingUnhandledIssues)
{
    Q_UNUSED(reportingUnhandledIssues)
}

QString VendorServices::siteAddress()
{
    return host(QStringLiteral("siteHost"), QStringLiteral("https://www.example.com"));
}

QString VendorServices::supportAddress()
{
    return siteAddress() + QStringLiteral("/support");
}

QString VendorServices::downloadAddress()
{
    return host(QStringLiteral("downloadHost"), QStringLiteral("https://download.example.com"))
           + QStringLiteral("/download");
}

bool VendorServices::showFeedbackDialog(int mode)
{
    Q_UNUSED(mode)
    return Workspace::sharedWorkspace().openURL(QUrl(supportAddress()));
}

bool VendorServices::checkForUpdates()
{
    return Workspace::sharedWorkspace().openURL(QUrl(downloadAddress()));
}

} // namespace platform
