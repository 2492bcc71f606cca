#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QNetworkCookieJar>

class QNetworkAccessManager;

namespace platform {

// The application's own cookie store, shared by every network request the application makes
// (attach each QNetworkAccessManager with useWith). It lives in memory for the whole run.
// Used on the main thread only.
class CookieStorage : public QNetworkCookieJar
{
    Q_OBJECT
public:
    static CookieStorage &sharedHTTPCookieStorage();

    // Makes the manager use this store without handing the store over to it, so several
    // managers share it and none deletes it.
    static void useWith(QNetworkAccessManager *manager);

    QList<QNetworkCookie> cookies() const;
    int count() const;
    bool deleteCookie(const QNetworkCookie &cookie) override;
    // Deletes every cookie the store holds.
    void deleteAllCookies();

private:
    using QNetworkCookieJar::QNetworkCookieJar;
};

} // namespace platform
