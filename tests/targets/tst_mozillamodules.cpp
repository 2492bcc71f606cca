#include "ModuleFixture.h"
#include "MozillaStores.h"
#include "PaneShelf.h"

#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/base/MasterPrefsViewController.h"
#include "targets/camino/CaminoController.h"
#include "targets/firefox/FirefoxController.h"
#include "targets/seamonkey/SeaMonkeyController.h"

#include <QCheckBox>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

namespace {

std::unique_ptr<ModuleController> makeModule(const QString &name)
{
    if (name == QLatin1String("Firefox"))
        return std::make_unique<FirefoxController>();
    if (name == QLatin1String("SeaMonkey"))
        return std::make_unique<SeaMonkeyController>();
    return std::make_unique<CaminoController>();
}

// Where a module keeps its cookie store, for the link cases.
struct CookieStore
{
    const char *scanKey;
    const char *cookieKey;
    const char *profiles; // below the home folder
    const char *profile;  // below the profiles folder
};
const CookieStore firefoxStore{"scanFirefox", "firefoxCookies", "Library/Application Support/Firefox/Profiles",
                               "ab.default-release"};
const CookieStore seaMonkeyStore{"scanSeaMonkey", "seaMonkeyCookies", "Library/Application Support/SeaMonkey/Profiles",
                                 "x1/cd.default"};

} // namespace

class tst_MozillaModules : public QObject
{
    Q_OBJECT
private slots:
    void identityAndPane_data();
    void identityAndPane();
    void storesBehindLinkedFolders_data();
    void storesBehindLinkedFolders();
};

void tst_MozillaModules::identityAndPane_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("nib");
    QTest::addColumn<QStringList>("keys");      // master switch first, then the categories in order
    QTest::addColumn<QVariantList>("defaults"); // the pane's own names, in the order it registers them
    QTest::addColumn<QStringList>("defaultNames");

    QTest::newRow("Firefox") << "Firefox"
                             << "org.mozilla.firefox"
                             << "Firefox Settings"
                             << "FirefoxPrefsView"
                             << QStringList{"scanFirefox",        "firefoxBrowsing",       "firefoxCache",
                                            "firefoxCookies",     "firefoxDownloads",      "firefoxForms",
                                            "firefoxLastSession", "firefoxRecentSearches", "firefoxWebpageIcons",
                                            "firefoxDOM"}
                             << QVariantList{true, true, true, false, true, true, true, true, true, true}
                             << QStringList{"ScanFirefox",        "FirefoxBrowsing",       "FirefoxCache",
                                            "FirefoxCookies",     "FirefoxDownloads",      "FirefoxForms",
                                            "FirefoxLastSession", "FirefoxRecentSearches", "FirefoxWebpageIcons",
                                            "FirefoxDOM"};
    QTest::newRow("SeaMonkey") << "SeaMonkey"
                               << "org.mozilla.seamonkey"
                               << "SeaMonkey Settings"
                               << "SeaMonkeyPrefsView"
                               << QStringList{"scanSeaMonkey",        "seaMonkeyBrowsing",  "seaMonkeyCache",
                                              "seaMonkeyCookies",     "seaMonkeyDownloads", "seaMonkeyForms",
                                              "seaMonkeyLastSession", "seaMonkeyDOM"}
                               << QVariantList{true, true, true, false, true, true, true, true}
                               << QStringList{"ScanSeaMonkey",        "SeaMonkeyBrowsing",  "SeaMonkeyCache",
                                              "SeaMonkeyCookies",     "SeaMonkeyDownloads", "SeaMonkeyForms",
                                              "SeaMonkeyLastSession", "SeaMonkeyDOM"};
    QTest::newRow("Camino") << "Camino"
                            << "org.mozilla.camino"
                            << "Camino Settings"
                            << "CaminoPrefsView"
                            << QStringList{"scanCamino",         "caminoBrowsing",  "caminoCache",
                                           "caminoCookies",      "caminoDownloads", "caminoLastSession",
                                           "caminoWebpageIcons", "caminoDOM"}
                            << QVariantList{true, true, true, false, true, true, true, true}
                            << QStringList{"ScanCamino",         "CaminoBrowsing",  "CaminoCache",
                                           "CaminoCookies",      "CaminoDownloads", "CaminoLastSession",
                                           "CaminoWebpageIcons", "CaminoDOM"};
}

void tst_MozillaModules::identityAndPane()
{
    QFETCH(QString, name);
    QFETCH(QString, identifier);
    QFETCH(QString, title);
    QFETCH(QString, nib);
    QFETCH(QStringList, keys);
    QFETCH(QVariantList, defaults);
    QFETCH(QStringList, defaultNames);
    FakeHome home;
    PaneShelf shelf;
    {
        std::unique_ptr<ModuleController> module = makeModule(name);
        QCOMPARE(module->identifierString(), identifier);
        QCOMPARE(module->scanString(), keys.first());
        QCOMPARE(module->targetName(), name);
        module->setPrefControl(&shelf);
        module->loadTargetPrefView();
    }
    QCOMPARE(shelf.idents, QStringList{identifier});
    QCOMPARE(shelf.panes.size(), size_t(1));
    MasterPrefsViewController *pane = shelf.panes.front().get();
    QVERIFY(pane);
    QCOMPARE(pane->title(), title);
    QCOMPARE(pane->identifier(), identifier);
    QCOMPARE(pane->nibName(), nib);

    const QVariantMap registered = UserDefaults::standardUserDefaults().registeredDefaults();
    for (int i = 0; i < defaultNames.size(); ++i) {
        QVERIFY2(registered.contains(defaultNames.at(i)), qPrintable(defaultNames.at(i)));
        QCOMPARE(registered.value(defaultNames.at(i)).toBool(), defaults.at(i).toBool());
    }
    // One check box per key the module reads, in its order, each editing its key.
    QStringList boxes;
    for (QCheckBox *box : pane->view()->findChildren<QCheckBox *>())
        boxes.append(box->objectName());
    QCOMPARE(boxes, keys);
    auto *last = pane->view()->findChild<QCheckBox *>(keys.last());
    const bool before = UserDefaults::standardUserDefaults().boolForKey(keys.last());
    last->click();
    QCOMPARE(UserDefaults::standardUserDefaults().boolForKey(keys.last()), !before);
}

void tst_MozillaModules::storesBehindLinkedFolders_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("linked");
    QTest::addColumn<bool>("offered");
    for (const char *name : {"Firefox", "SeaMonkey"}) {
        QTest::addRow("%s, home reached through a link", name) << name << "home" << true;
        QTest::addRow("%s, Profiles linked", name) << name << "Profiles" << true;
        QTest::addRow("%s, store itself linked", name) << name << "store" << false;
    }
}

// Folders above a store are the user's arrangement and are followed alike by the profile
// lookup, the scan's count and the delete; a store that is itself a link is neither. The
// cookie store sits below the profiles folder, reached through the link `linked` names
// ("home", "Profiles" or "store"); the home is reached through a link in every case.
void tst_MozillaModules::storesBehindLinkedFolders()
{
    QFETCH(QString, name);
    QFETCH(QString, linked);
    QFETCH(bool, offered);
    const CookieStore &store = name == QLatin1String("Firefox") ? firefoxStore : seaMonkeyStore;
    ModuleFixture<ModuleController> f([&name] { return makeModule(name); }, store.scanKey,
                                      {{"", store.cookieKey, 'P', "cookies.sqlite", "Sqlite"}});
    QCOMPARE(f.module.targetName(), name);
    const QString home = f.home.home();
    const QString outside = QFileInfo(home).path();
    const QString profiles = home + QLatin1Char('/') + QLatin1String(store.profiles);
    const QString profileRel = QLatin1String(store.profile);
    const QString cookies = profiles + QLatin1Char('/') + profileRel + u"/cookies.sqlite"_s;
    if (linked == QLatin1String("Profiles")) {
        QVERIFY(mozstores::writeCookies(outside + u"/Profiles/"_s + profileRel + u"/cookies.sqlite"_s));
        QVERIFY(FakeHome::makePath(QFileInfo(profiles).path()));
        QVERIFY(QFile::link(outside + u"/Profiles"_s, profiles));
    } else if (linked == QLatin1String("store")) {
        QVERIFY(mozstores::writeCookies(outside + u"/keep.sqlite"_s));
        QVERIFY(FakeHome::makePath(QFileInfo(cookies).path()));
        QVERIFY(QFile::link(outside + u"/keep.sqlite"_s, cookies));
    } else {
        QVERIFY(mozstores::writeCookies(cookies));
    }
    QVERIFY(QFile::link(home, outside + u"/via"_s));
    qputenv("HOME", QFile::encodeName(outside + u"/via"_s)); // the fake home puts it back
    const QString seen = outside + u"/via"_s + cookies.mid(home.size());

    const QString row = name + u" Cookies"_s;
    QCOMPARE(f.scannedNames(), offered ? QStringList{row} : QStringList{});
    QCOMPARE(f.cleanInPlace(row, seen), std::optional<bool>(offered));
    QCOMPARE(mozstores::count(seen, u"SELECT count(*) FROM moz_cookies"_s), offered ? 0 : 1);
    QCOMPARE(QFileInfo(seen).isSymLink(), !offered);
}

QTEST_MAIN(tst_MozillaModules)
#include "tst_mozillamodules.moc"
