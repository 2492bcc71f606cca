#include "ui/main/WebPages.h"

#include "platform/VendorServices.h"

QUrl WebPages::join(const QString &hostKey, const QString &path)
{
    const QString host = platform::VendorServices::hostAddress(hostKey);
    return host.isEmpty() ? QUrl() : QUrl(host + path);
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
