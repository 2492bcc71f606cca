#include "platform/gui/WebPages.h"

#include "platform/gui/Alert.h"
#include "platform/gui/VendorServices.h"
#include "platform/system/Workspace.h"

using namespace Qt::StringLiterals;

namespace platform {

namespace {
const QString makerSite = u"https://www.example.com"_s;
const QString makerDownloads = u"https://download.example.com"_s;
} // namespace

bool WebPages::open(const QUrl &page, QWidget *parent)
{
    if (Workspace::sharedWorkspace().openURL(page))
        return true;
    // Without a web browser nothing would happen at all: give the user the address instead.
    Alert alert;
    alert.setMessageText(u"The page could not be opened"_s);
    alert.setInformativeText(
        u"No web browser could be started to show it. You can open this address in a web browser:\n\n%1"_s.arg(
            page.toString()));
    alert.addButtonWithTitle(u"OK"_s);
    alert.runModal(parent);
    return false;
}

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
