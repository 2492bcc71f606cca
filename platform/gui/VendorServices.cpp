#include "platform/gui/VendorServices.h"

#include "platform/gui/WebPages.h"
#include "platform/system/UserDefaults.h"

#include <QDebug>
#include <QHostAddress>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

const QString kSecureScheme = u"https"_s;

bool isLoopback(const QString &host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 || QHostAddress(host).isLoopback();
}

} // namespace

QString VendorServices::secureAddress(const QString &address)
{
    QString value = address.trimmed();
    while (value.endsWith(QLatin1Char('/')))
        value.chop(1);
    if (value.isEmpty())
        return {};
    if (!value.contains(QLatin1String("://")))
        value.prepend(kSecureScheme + QLatin1String("://"));
    QUrl url(value, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != kSecureScheme)) {
        qWarning().noquote() << u"Refused web address without the secure scheme: %1"_s.arg(address);
        return {};
    }
    if (scheme == QLatin1String("http") && !isLoopback(url.host())) {
        qWarning().noquote() << u"Web address upgraded to the secure scheme: %1"_s.arg(address);
        url.setScheme(kSecureScheme);
        if (url.port() == 80)
            url.setPort(-1);
    }
    return url.toString(QUrl::FullyEncoded | QUrl::StripTrailingSlash);
}

QString VendorServices::hostAddress(const QString &key, const QString &fallback)
{
    const QString given = UserDefaults::standardUserDefaults().stringForKey(key);
    const QString secure = secureAddress(given);
    return secure.isEmpty() ? fallback : secure;
}

void VendorServices::sendTrackingReport()
{}

void VendorServices::setupIssuesController(bool reportingUnhandledIssues)
{
    Q_UNUSED(reportingUnhandledIssues)
}

bool VendorServices::showFeedbackDialog(int mode, QWidget *parent)
{
    Q_UNUSED(mode)
    return WebPages::open(WebPages::site(u"/support"_s), parent);
}

bool VendorServices::checkForUpdates(QWidget *parent)
{
    return WebPages::open(WebPages::updatePage(), parent);
}

} // namespace platform
