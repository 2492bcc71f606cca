#include "platform/WebPages.h"

#include "platform/VendorServices.h"

using namespace Qt::StringLiterals;

namespace platform {

namespace {
const QString makerSite = u"https://www.example.com"_s;
const QString makerDownloads = u"https://download.example.com"_s;
} // namespace

QUrl WebPages::join(const QString &hostKey, const QString &path, const QString &fallback)
{
    const QString host = VendorServices::hostAddress(hostKey, fallback);
    return host.isEmpty() ? QUrl() : QUrl(host + path);
}

QString WebPages::siteAddress()
{
    return VendorServices::hostAddress(u"siteHost"_s, makerSite);
}

QUrl WebPages::site(const QString &path)
{
    return QUrl(siteAddress() + path);
}

QUrl WebPages::download(const QString &path)
{
    return join(u"downloadHost"_s, path);
}

QUrl WebPages::rating(const QString &path)
{
    return join(u"ratingHost"_s, path);
}

QUrl WebPages::updatePage()
{
    return join(u"downloadHost"_s, u"/download"_s, makerDownloads);
}

} // namespace platform
