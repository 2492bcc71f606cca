#include "platform/system/CookieStorage.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QtTest>

#include <memory>

using platform::CookieStorage;

class TestCookieStorage : public QObject
{
    Q_OBJECT
private slots:
    void managersShareTheStoreWithoutOwningIt()
    {
        CookieStorage &store = CookieStorage::sharedHTTPCookieStorage();
        store.deleteAllCookies();
        {
            auto first = std::make_unique<QNetworkAccessManager>();
            auto second = std::make_unique<QNetworkAccessManager>();
            CookieStorage::useWith(first.get());
            CookieStorage::useWith(second.get());
            QCOMPARE(first->cookieJar(), &store);
            QCOMPARE(second->cookieJar(), &store);

            // What one manager's responses set, every request of the application sees.
            QNetworkCookie cookie("session", "abc");
            QVERIFY(first->cookieJar()->setCookiesFromUrl({cookie}, QUrl("http://example.com/")));
            QCOMPARE(second->cookieJar()->cookiesForUrl(QUrl("http://example.com/")).size(), 1);
        }
        // The managers are gone; the store is not.
        QCOMPARE(store.count(), 1);
        QCOMPARE(store.cookies().first().name(), QByteArray("session"));
    }

    void deleteAllCookiesEmptiesTheStore()
    {
        CookieStorage &store = CookieStorage::sharedHTTPCookieStorage();
        QList<QNetworkCookie> cookies;
        for (int i = 0; i < 5; ++i)
            cookies << QNetworkCookie(QByteArray("c") + QByteArray::number(i), "v");
        QVERIFY(store.setCookiesFromUrl(cookies, QUrl("https://one.example/")));
        QVERIFY(store.setCookiesFromUrl({QNetworkCookie("other", "v")}, QUrl("https://two.example/")));
        QVERIFY(store.count() >= 6);
        store.deleteAllCookies();
        QCOMPARE(store.count(), 0);
        QVERIFY(store.cookiesForUrl(QUrl("https://one.example/")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCookieStorage)
#include "tst_cookiestorage.moc"
