#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "core/Keys.h"
#include "core/LocationController.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/camino/CaminoController.h"
#include "targets/firefox/FirefoxController.h"
#include "targets/seamonkey/SeaMonkeyController.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

namespace {

const char *cookieStore =
    "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, name TEXT, value TEXT, host TEXT, path TEXT);"
    "INSERT INTO moz_cookies (name, value, host, path) VALUES ('id', 'x', '.example.org', '/');";

} // namespace

// The three Mozilla modules as the application makes them: created, wired to the services and
// offered in the main window when their application is installed.
class tst_MozillaWiring : public QObject
{
    Q_OBJECT
private slots:
    void modulesOfferTheirLocationAndCleanInPlace_data();
    void modulesOfferTheirLocationAndCleanInPlace();
};

void tst_MozillaWiring::modulesOfferTheirLocationAndCleanInPlace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("cookies"); // below the home folder
    QTest::newRow("Firefox") << "Firefox"
                             << "org.mozilla.firefox"
                             << "Library/Application Support/Firefox/Profiles/ab.default-release/cookies.sqlite";
    QTest::newRow("SeaMonkey") << "SeaMonkey"
                               << "org.mozilla.seamonkey"
                               << "Library/Application Support/SeaMonkey/Profiles/cd.default/cookies.sqlite";
    QTest::newRow("Camino") << "Camino"
                            << "org.mozilla.camino"
                            << "Library/Application Support/Camino/cookies.sqlite";
}

void tst_MozillaWiring::modulesOfferTheirLocationAndCleanInPlace()
{
    QFETCH(QString, name);
    QFETCH(QString, identifier);
    QFETCH(QString, cookies);
    FakeHome home;
    QVERIFY(!home.addApplication(identifier, name).isEmpty());
    QVERIFY(home.createSqlite(cookies, QString::fromLatin1(cookieStore)));
    UserDefaults::standardUserDefaults().setBool(false, u"FirstLaunch"_s);
    UserDefaults::standardUserDefaults().setBool(true, identifier); // pane offered before
    NimbrelAppDelegate::registerDefaultsAndApplyRules();
    const std::unique_ptr<MainInterface> ui = MainInterface::load();
    QVERIFY(ui->firefoxController() && ui->seaMonkeyController() && ui->caminoController());

    QStringList locations;
    for (const auto &location : ui->locationControl()->locationArrayController()->arrangedObjects())
        locations.append(location->locName());
    QCOMPARE(locations, QStringList{name});

    // The cleaning request reaches the module, which runs its statement through the
    // database service it was given (without one the row would not be cleaned).
    QList<QVariantMap> statuses;
    QObject observer;
    platform::NotificationCenter::defaultCenter().addObserver(
        &observer, u"CleaningStatusUpdateNotification"_s,
        [&statuses](const platform::Notification &n) { statuses.append(n.userInfo); });
    const QString path = home.path(cookies);
    platform::NotificationCenter::defaultCenter().post(keys::cleanRequestName(name), nullptr,
                                                       {{u"cleaningItemAppName"_s, name},
                                                        {u"cleaningItemName"_s, name + u" Cookies"_s},
                                                        {u"cleaningItemPath"_s, path}});
    QCOMPARE(statuses.size(), 1);
    QCOMPARE(statuses.first().value(u"cleaningItemPath"_s).toString(), path);
    QCOMPARE(statuses.first().value(u"didClean"_s).toBool(), true);
}

QTEST_MAIN(tst_MozillaWiring)
#include "tst_mozillawiring.moc"
