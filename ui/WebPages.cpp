#include "ui/WebPages.h"

#include "platform/UserDefaults.h"
#include "platform/VendorServices.h"

QUrl WebPages::join(const QString &hostKey, const QString &path)
{
    QString host = platform::UserDefaults::standardUserDefaults().stringForKey(hostKey);
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return QUrl(host + path);
}

QUrl WebPages::site(const QString &path)
{
    return QUrl(platform::VendorServices::siteAddress() + path);
}

QUrl WebPages::download(const QString &path)
{
    return join(QStringLiteral("downloadHost"), path);
}

QUrl WebPages::rating(const QString &path)
{
    return join(QStringLiteral("ratingHost"), path);
}
