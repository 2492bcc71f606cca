#include "platform/system/CookieStorage.h"

#include <QNetworkAccessManager>

namespace platform {

CookieStorage &CookieStorage::sharedHTTPCookieStorage()
{
    // Never destroyed: managers may still point at it while the application shuts down.
    static CookieStorage *storage = new CookieStorage;
    return *storage;
}

void CookieStorage::useWith(QNetworkAccessManager *manager)
{
    if (!manager)
        return;
    CookieStorage &storage = sharedHTTPCookieStorage();
    manager->setCookieJar(&storage);
    // The manager made itself the store's parent; take that back so it is shared, not owned.
    storage.setParent(nullptr);
}

QList<QNetworkCookie> CookieStorage::cookies() const
{
    return allCookies();
}

int CookieStorage::count() const
{
    return int(allCookies().size());
}

bool CookieStorage::deleteCookie(const QNetworkCookie &cookie)
{
    return QNetworkCookieJar::deleteCookie(cookie);
}

void CookieStorage::deleteAllCookies()
{
    const QList<QNetworkCookie> all = allCookies();
    for (const QNetworkCookie &cookie : all)
        deleteCookie(cookie);
}

} // namespace platform
