#include "platform/WebPages.h"

#include "platform/VendorServices.h"

namespace platform {

namespace {
const QString makerSite = QStringLiteral("https://www.example.com");
const QString makerDownloads = QStringLiteral("https://download.example.com");
} // namespace

QUrl WebPages::join(const QString &hostKey, const QString &path, const QString &fallback)
{
    const QString host = VendorServices::hostAddress(hostKey, fallback);
    return host.isEmpty() ? QUrl() : QUrl(host + path);
}

QString WebPages::siteAddress()
{
    return VendorServices::hostAddress(QStringLiteral("siteHost"), makerSite);
}

QUrl WebPages::site(const QString &path)
{
    return QUrl(siteAddress() + path);
}

QUrl WebPages::download(const QString &path)
{
    return join(QStringLiteral("downloadHost"), path);
}

QUrl WebPages::rating(const QString &path)
{
    return join(QStringLiteral("ratingHost"), path);
}

QUrl WebPages::updatePage()
{
    return join(QStringLiteral("downloadHost"), QStringLiteral("/download"), makerDownloads);
}

} // namespace platform
