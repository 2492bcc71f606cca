#include "core/Keys.h"
#include "core/LocationController.h"
#include "platform/gui/Modal.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Bundle.h"
#include "platform/system/Image.h"
#include "platform/system/NotificationCenter.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/BundleDefaults.h"
#include "support/FakeHome.h"
#include "support/ThreadChecker.h"
#include "targets/base/ModuleController.h"
#include "targets/safari/SafariController.h"
#include "ui/prefs/PrefsController.h"
#include "ui/wizard/WizardController.h"

#include "StandInPane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

using namespace Qt::StringLiterals;

using platform::NotificationCenter;
using platform::UserDefaults;

namespace {

// A module of an application the tests install, with as many category switches as asked.
class StandInModule : public ModuleController
{
public:
    StandInModule(const QString &identifier, const QString &scanKey, const QString &name, const QString &paneTitle,
                  int categories = 1)
        : m_paneTitle(paneTitle)
    {
        setIdentity(identifier, scanKey, name);
        QList<Category> list;
        for (int i = 0; i < categories; ++i)
            list.append({scanKey + u"Category%1"_s.arg(i), u"Category %1"_s.arg(i), {}});
        setCategories(list);
        UserDefaults::standardUserDefaults().registerDefaults({{scanKey, true}});
    }
    bool targetExists() override
    {
        return identifierString() == PrefsController::kFlashCookiesIdentifier || ModuleController::targetExists();
    }

protected:
    MasterPrefsViewController *createPane() override
    {
        return new StandInPane(m_paneTitle, identifierString(), paneSwitches(u"Scan"_s));
    }

private:
    QString m_paneTitle;
};

// Records the posts of the names given, with their "locString" when they carry one.
struct Posts
{
    QObject owner;
    QStringList seen;
    explicit Posts(const QStringList &names)
    {
        for (const QString &name : names)
            NotificationCenter::defaultCenter().addObserver(&owner, name, [this](const platform::Notification &n) {
                const QString loc = n.userInfo.value(keys::LocString).toString();
                seen << (loc.isEmpty() ? n.name : n.name + QLatin1Char(':') + loc);
            });
    }
    QStringList take() { return std::exchange(seen, {}); }
};

// A fake home with the applications installed, the modules made and wired to the
// preferences controller, as the main interface file wires them.
// The settings are registered before any controller is made, as at launch.
struct Environment
{
    FakeHome home;
    bool ready = false; // the system version and the shipped settings are in place
    Environment()
    {
        const bool versionSet = home.setSystemVersion(u"10.14"_s);
        ready = registerBundleDefaults() && versionSet;
    }
};

struct Fixture : Environment
{
    std::vector<std::unique_ptr<ModuleController>> modules;
    PrefsController prefs;
    WizardController wizard;

    Fixture() { prefs.setWizardControl(&wizard); }
    ~Fixture() { platform::Timer::fireAllPending(0); }

    template <typename Module, typename... Args>
    Module *add(Args &&...args)
    {
        auto module = std::make_unique<Module>(std::forward<Args>(args)...);
        Module *raw = module.get();
        raw->setPrefControl(&prefs);
        raw->init();
        modules.push_back(std::move(module));
        return raw;
    }
    StandInModule *addStandIn(const QString &identifier, const QString &appName, const QString &paneTitle,
                              int categories = 1)
    {
        if (identifier != PrefsController::kFlashCookiesIdentifier)
            home.addApplication(identifier, appName);
        const QString scanKey =
            identifier == PrefsController::kFlashCookiesIdentifier ? u"scanFlashCookies"_s : u"scan"_s + appName;
        const QString name = identifier == PrefsController::kFlashCookiesIdentifier ? u"Flash Cookies"_s : appName;
        return add<StandInModule>(identifier, scanKey, name, paneTitle, categories);
    }
    SafariController *addSafari()
    {
        home.addApplication(u"com.apple.Safari"_s, u"Safari"_s);
        return add<SafariController>();
    }

    QStringList popUpTitles() const
    {
        QStringList titles;
        for (int i = 0; i < prefs.popUp()->count(); ++i)
            titles << prefs.popUp()->itemText(i);
        return titles;
    }
    QStringList assistantPaneTitles() const
    {
        QStringList titles;
        for (const auto &page : wizard.wizardViewControllers())
            if (page.pane)
                titles << page.title();
        return titles;
    }
};

QColor centreOf(const QIcon &icon)
{
    return icon.pixmap(QSize(16, 16)).toImage().pixelColor(8, 8);
}

} // namespace

class tst_Prefs : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();

    void paneOrder_data();
    void paneOrder();
    void popUpIcons();
    void startUpDecision_data();
    void startUpDecision();
    void masterSwitchPosts_data();
    void masterSwitchPosts();
    void masterSwitchesAddAndRemoveLocations();
    void reopeningGathersAndObservesAgain();
    void openingTwiceDoesNothing();
    void openingWithoutPanes();
    void paneSwitchResizesFromTheTop();
    void toggleTips_data();
    void toggleTips();
    void controlsFollowSettings_data();
    void controlsFollowSettings();
    void advancedOptionsSheet();
    void windowsOpenCentred_data();
    void windowsOpenCentred();
    void nothingSitsWhereTheSettingsTipPoints_data();
    void nothingSitsWhereTheSettingsTipPoints();
};

void tst_Prefs::cleanup()
{
    platform::Modal::setObserver({});
}

void tst_Prefs::paneOrder_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("windowOrder");
    QTest::addColumn<QStringList>("assistantOrder");

    QTest::newRow("capital letters first only for the assistant")
        << QStringList{"Safari Settings", "iCab Settings", "OmniWeb Settings"}
        << QStringList{"iCab Settings", "OmniWeb Settings", "Safari Settings"}
        << QStringList{"OmniWeb Settings", "Safari Settings", "iCab Settings"};
    QTest::newRow("already in order") << QStringList{"Camino Settings", "Finder Settings", "Safari Settings"}
                                      << QStringList{"Camino Settings", "Finder Settings", "Safari Settings"}
                                      << QStringList{"Camino Settings", "Finder Settings", "Safari Settings"};
}

void tst_Prefs::paneOrder()
{
    QFETCH(QStringList, titles);
    QFETCH(QStringList, windowOrder);
    QFETCH(QStringList, assistantOrder);

    Fixture fx;

    QVERIFY(fx.ready);
    QVERIFY(fx.home.isValid());
    for (int i = 0; i < titles.size(); ++i) {
        if (titles[i] == QLatin1String("Safari Settings"))
            fx.addSafari();
        else
            fx.addStandIn(u"org.example.app%1"_s.arg(i), u"App%1"_s.arg(i), titles[i]);
    }

    fx.prefs.awakeFromNib();
    QCOMPARE(fx.assistantPaneTitles(), assistantOrder);

    fx.prefs.showPrefsWindow();
    QCOMPARE(fx.popUpTitles(), windowOrder);
    for (int i = 0; i < fx.prefs.popUp()->count(); ++i)
        QCOMPARE(fx.prefs.popUp()->itemData(i).toInt(), i);
    QCOMPARE(fx.prefs.popUp()->currentIndex(), 0);
    QCOMPARE(fx.prefs.shownPane()->title(), windowOrder.first());
}

void tst_Prefs::popUpIcons()
{
    Fixture fx;
    QVERIFY(fx.ready);
    fx.addSafari();
    fx.addStandIn(PrefsController::kFlashCookiesIdentifier, QString(), u"Flash Cookies Settings"_s);

    fx.prefs.showPrefsWindow();
    QCOMPARE(fx.popUpTitles(), (QStringList{"Flash Cookies Settings", "Safari Settings"}));
    QCOMPARE(fx.prefs.popUp()->iconSize(), QSize(16, 16));

    const platform::ImagePtr small = platform::imageNamed(u"FlashCookieSmall.png"_s);
    QVERIFY(small);
    const QColor flash = small->scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation).pixelColor(8, 8);
    QCOMPARE(centreOf(fx.prefs.popUp()->itemIcon(0)).rgba(), flash.rgba());
    // The application's own icon, as found in its bundle.
    QCOMPARE(centreOf(fx.prefs.popUp()->itemIcon(1)).rgba(), FakeHome::iconColor(u"com.apple.Safari"_s).rgba());
}

void tst_Prefs::startUpDecision_data()
{
    QTest::addColumn<QVariant>("firstLaunch");
    QTest::addColumn<bool>("offeredBefore");
    QTest::addColumn<QStringList>("posted");
    QTest::addColumn<QString>("firstPage");

    QTest::newRow("first launch") << QVariant() << false << QStringList{"LoadPrefsViews"} << u"Welcome to Nimbrel!"_s;
    QTest::newRow("later launch, new application")
        << QVariant(false) << false << QStringList{"CheckInstalledApps"} << u"New Application Detected!"_s;
    QTest::newRow("later launch, nothing new")
        << QVariant(false) << true << QStringList{"CheckInstalledApps", "DisplayMainWindow", "CheckTargetLocations"}
        << QString();
}

void tst_Prefs::startUpDecision()
{
    QFETCH(QVariant, firstLaunch);
    QFETCH(bool, offeredBefore);
    QFETCH(QStringList, posted);
    QFETCH(QString, firstPage);

    Fixture fx;

    QVERIFY(fx.ready);
    fx.addSafari();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    if (firstLaunch.isValid())
        defaults.setBool(firstLaunch.toBool(), u"FirstLaunch"_s);
    if (offeredBefore)
        defaults.setBool(true, u"com.apple.Safari"_s);
    Posts posts({"LoadPrefsViews", "CheckInstalledApps", "DisplayMainWindow", "CheckTargetLocations"});

    fx.prefs.awakeFromNib();
    QCOMPARE(posts.take(), posted);
    if (firstPage.isEmpty()) {
        QVERIFY(fx.wizard.wizardViewControllers().isEmpty());
        QVERIFY(platform::Timer::pendingTimers().isEmpty());
    } else {
        QCOMPARE(fx.wizard.titleText()->text(), firstPage);
        QCOMPARE(fx.assistantPaneTitles(), QStringList{"Safari Settings"});
        // The assistant opens a moment later.
        QCOMPARE(platform::Timer::pendingTimers().size(), 1);
        QCOMPARE(platform::Timer::pendingTimers().first()->timeInterval(), 0.15);
    }
    QCOMPARE(defaults.boolForKey(u"FirstLaunch"_s), false);
    QVERIFY(defaults.boolForKey(u"com.apple.Safari"_s));

    // The first launch is recorded on disk at once.
    if (!firstLaunch.isValid()) {
        QFile store(defaults.storePath());
        QVERIFY(store.open(QIODevice::ReadOnly));
        const auto list = platform::PropertyList::fromData(store.readAll());
        QVERIFY(list);
        QCOMPARE(list->toVariant().toMap().value(u"FirstLaunch"_s), QVariant(false));
    }
}

void tst_Prefs::masterSwitchPosts_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QStringList>("posted");

    QTest::newRow("Safari off") << "scanSafari" << QVariant(false) << QStringList{"RemoveLocationItem:Safari"};
    QTest::newRow("Safari on again") << "scanSafari" << QVariant(true) << QStringList{"AddLocationItem:Safari"};
    QTest::newRow("Flash cookies on") << "scanFlashCookies" << QVariant(true)
                                      << QStringList{"AddLocationItem:Flash Cookies"};
    QTest::newRow("iCab off as a number")
        << "scaniCab" << QVariant(qint64(0)) << QStringList{"RemoveLocationItem:iCab"};
    QTest::newRow("other number") << "scanSafari" << QVariant(qint64(2)) << QStringList{};
    QTest::newRow("text") << "scanSafari" << QVariant(u"1"_s) << QStringList{};
    // A removed user value leaves the registered one, which is on.
    QTest::newRow("removed") << "scanSafari" << QVariant() << QStringList{"AddLocationItem:Safari"};
}

void tst_Prefs::masterSwitchPosts()
{
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(QStringList, posted);

    Fixture fx;

    QVERIFY(fx.ready);
    fx.addSafari();
    fx.addStandIn(PrefsController::kFlashCookiesIdentifier, QString(), u"Flash Cookies Settings"_s);
    fx.addStandIn(u"de.icab.iCab"_s, u"iCab"_s, u"iCab Settings"_s);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(true, u"scanSafari"_s);
    fx.prefs.showPrefsWindow();

    Posts posts({"AddLocationItem", "RemoveLocationItem"});
    defaults.setObject(value, key);
    QCOMPARE(posts.take(), posted);
    // Setting the value it already has posts again.
    defaults.setObject(value, key);
    QCOMPARE(posts.take(), value.isValid() ? posted : QStringList{});
}

void tst_Prefs::masterSwitchesAddAndRemoveLocations()
{
    Fixture fx;
    QVERIFY(fx.ready);
    LocationController locations;
    locations.awakeFromNib();
    fx.addSafari();
    fx.addStandIn(u"de.icab.iCab"_s, u"iCab"_s, u"iCab Settings"_s);
    auto names = [&locations] {
        QStringList list;
        for (const auto &row : locations.locationArrayController()->arrangedObjects())
            list << row->locName();
        return list;
    };
    NotificationCenter::defaultCenter().post(keys::CheckTargetLocations);
    QCOMPARE(names(), (QStringList{"iCab", "Safari"}));

    fx.prefs.showPrefsWindow();
    // The pane's master check box is what the user clicks.
    QCheckBox *master = fx.prefs.box()->findChild<QCheckBox *>(u"scaniCab"_s);
    QVERIFY(master);
    QVERIFY(master->isChecked());
    master->click();
    QCOMPARE(names(), QStringList{"Safari"});
    master->click();
    QCOMPARE(names(), (QStringList{"iCab", "Safari"}));

    UserDefaults::standardUserDefaults().setBool(false, u"scanSafari"_s);
    QCOMPARE(names(), QStringList{"iCab"});
}

void tst_Prefs::reopeningGathersAndObservesAgain()
{
    Fixture fx;
    QVERIFY(fx.ready);
    fx.addSafari();
    Posts posts({"LoadPrefsViews", "RemovePrefsObservers", "PrefsTips", "PrefsTipsEnd", "AddLocationItem",
                 "RemoveLocationItem"});
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(false, u"enableTips"_s);

    fx.prefs.showPrefsWindow();
    QVERIFY(fx.prefs.prefsWindowLoaded());
    QCOMPARE(fx.prefs.viewControllers().size(), 1);
    QPointer<MasterPrefsViewController> first = fx.prefs.viewControllers().first().get();
    defaults.setBool(true, u"scanSafari"_s);
    QCOMPARE(posts.take(), (QStringList{"LoadPrefsViews", "PrefsTips", "AddLocationItem:Safari"}));

    QVERIFY(fx.prefs.prefsWindow()->close());
    QVERIFY(!fx.prefs.prefsWindowLoaded());
    defaults.setBool(true, u"scanSafari"_s);
    QCOMPARE(posts.take(), QStringList{"RemovePrefsObservers"});

    fx.prefs.showPrefsWindow();
    QCOMPARE(fx.prefs.viewControllers().size(), 1);
    QVERIFY(first.isNull()); // the old pane went with the old gathering
    defaults.setBool(false, u"scanSafari"_s);
    QCOMPARE(posts.take(), (QStringList{"LoadPrefsViews", "PrefsTips", "RemoveLocationItem:Safari"}));
    QCOMPARE(fx.prefs.box()->findChildren<QCheckBox *>(u"scanSafari"_s).size(), 1);
}

void tst_Prefs::openingTwiceDoesNothing()
{
    Fixture fx;
    QVERIFY(fx.ready);
    fx.addSafari();
    Posts posts({"LoadPrefsViews"});
    fx.prefs.showPrefsWindow();
    fx.prefs.showPrefsWindow();
    QCOMPARE(posts.take(), QStringList{"LoadPrefsViews"});
    QCOMPARE(fx.prefs.viewControllers().size(), 1);
    // Closing without having opened does nothing either.
    fx.prefs.windowWillClose();
    Posts removals({"RemovePrefsObservers"});
    fx.prefs.windowWillClose();
    QVERIFY(removals.take().isEmpty());
}

void tst_Prefs::openingWithoutPanes()
{
    Fixture fx;
    QVERIFY(fx.ready);
    // A module whose application is not installed hands over nothing.
    fx.add<StandInModule>(u"org.example.absent"_s, u"scanAbsent"_s, u"Absent"_s, u"Absent Settings"_s);
    fx.prefs.showPrefsWindow();
    QVERIFY(fx.prefs.viewControllers().isEmpty());
    QCOMPARE(fx.prefs.popUp()->count(), 0);
    QVERIFY(!fx.prefs.popUp()->isEnabled());
    QVERIFY(fx.prefs.box()->findChild<QLabel *>(u"noPanesLabel"_s)->isVisible());
    QVERIFY(!fx.prefs.shownPane());

    // An application that appears later gets its pane at the next opening.
    fx.prefs.prefsWindow()->close();
    fx.addSafari();
    fx.prefs.showPrefsWindow();
    QCOMPARE(fx.popUpTitles(), QStringList{"Safari Settings"});
    QVERIFY(fx.prefs.popUp()->isEnabled());
    QVERIFY(!fx.prefs.box()->findChild<QLabel *>(u"noPanesLabel"_s)->isVisible());
}

void tst_Prefs::paneSwitchResizesFromTheTop()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Gui's image work on Qt's global thread pool");
    Fixture fx;
    QVERIFY(fx.ready);
    fx.addSafari(); // ten category switches
    fx.addStandIn(u"org.example.small"_s, u"Small"_s, u"A Small Settings"_s, 1);
    fx.prefs.showPrefsWindow();
    QCOMPARE(fx.popUpTitles(), (QStringList{"A Small Settings", "Safari Settings"}));
    QWidget *window = fx.prefs.prefsWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    for (int index : {1, 0}) {
        QWidget *shown = fx.prefs.shownPane()->view();
        const QRect before = window->geometry();
        const int oldHeight = shown->height();
        QWidget *next = fx.prefs.viewControllers().at(index)->view();
        const int newHeight = next->testAttribute(Qt::WA_Resized) ? next->height() : next->sizeHint().height();
        QVERIFY(newHeight != oldHeight);

        fx.prefs.changeViewController(index);
        QCOMPARE(fx.prefs.shownPane(), fx.prefs.viewControllers().at(index).get());
        QVERIFY(next->isVisibleTo(window));
        QVERIFY(!shown->isVisibleTo(window));
        QCOMPARE(window->geometry().top(), before.top());
        QCOMPARE(window->geometry().left(), before.left());
        QCOMPARE(window->geometry().height(), before.height() + newHeight - oldHeight);
    }
    // A tag that names no pane changes nothing.
    QWidget *shown = fx.prefs.shownPane()->view();
    fx.prefs.changeViewController(7);
    QCOMPARE(fx.prefs.shownPane()->view(), shown);
}

void tst_Prefs::toggleTips_data()
{
    QTest::addColumn<bool>("tipsBefore");
    QTest::addColumn<QStringList>("posted");
    QTest::newRow("turned on") << false << QStringList{"PrefsTips", "ToggleTipsOn"};
    QTest::newRow("turned off") << true << QStringList{"PrefsTipsEnd", "ToggleTipsOff"};
}

void tst_Prefs::toggleTips()
{
    QFETCH(bool, tipsBefore);
    QFETCH(QStringList, posted);

    Fixture fx;

    QVERIFY(fx.ready);
    fx.addSafari();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(tipsBefore, u"enableTips"_s);
    fx.prefs.showPrefsWindow();
    auto *tips = fx.prefs.prefsWindow()->findChild<QCheckBox *>(u"enableTips"_s);
    QVERIFY(tips);
    QCOMPARE(tips->isChecked(), tipsBefore);

    Posts posts({"PrefsTips", "PrefsTipsEnd", "ToggleTipsOn", "ToggleTipsOff", "RemovePrefsObservers"});
    tips->click();
    QCOMPARE(defaults.boolForKey(u"enableTips"_s), !tipsBefore);
    QCOMPARE(posts.take(), posted);

    // Closing ends the settings tips only while tips are on.
    fx.prefs.prefsWindow()->close();
    const QStringList closing =
        tipsBefore ? QStringList{"RemovePrefsObservers"} : QStringList{"PrefsTipsEnd", "RemovePrefsObservers"};
    QCOMPARE(posts.take(), closing);
}

void tst_Prefs::controlsFollowSettings_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("secure removal") << "enableSecureDelete";
    QTest::newRow("tips") << "enableTips";
    QTest::newRow("sound effects") << "enableSFX";
    QTest::newRow("animations") << "enableAnimations";
}

void tst_Prefs::controlsFollowSettings()
{
    QFETCH(QString, key);
    Fixture fx;
    QVERIFY(fx.ready);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    auto *box = fx.prefs.prefsWindow()->findChild<QCheckBox *>(key);
    QVERIFY(box);
    const bool initial = defaults.boolForKey(key);
    QCOMPARE(box->isChecked(), initial);
    box->click();
    QCOMPARE(defaults.boolForKey(key), !initial);
    defaults.setBool(initial, key);
    QCOMPARE(box->isChecked(), initial);
}

void tst_Prefs::advancedOptionsSheet()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Gui's image work on Qt's global thread pool");
    Fixture fx;
    QVERIFY(fx.ready);
    fx.addSafari();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(true, u"enableSecureDelete"_s);
    defaults.setInteger(0, u"secureDeleteLevel"_s);
    fx.prefs.showPrefsWindow();

    QList<std::pair<QWidget *, bool>> begun;
    platform::Modal::setObserver([&begun](QWidget *window, bool isSheet) { begun.append({window, isSheet}); });
    fx.prefs.showAdvancedOptionsPanel();
    QWidget *panel = fx.prefs.advancedOptionsPanel();
    QTRY_COMPARE(begun.size(), 1);
    QCOMPARE(begun.first(), std::make_pair(panel, true));
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->parentWidget(), fx.prefs.prefsWindow());

    // The level chosen in the sheet is the level the window shows.
    auto *level = fx.prefs.prefsWindow()->findChild<QComboBox *>(u"secureDeleteLevel"_s);
    auto *mostSecure = panel->findChild<QRadioButton *>(u"secureDeleteLevel_2"_s);
    QVERIFY(level && mostSecure);
    QVERIFY(mostSecure->isEnabled());
    QCOMPARE(level->count(), 3);
    mostSecure->click();
    QCOMPARE(defaults.integerForKey(u"secureDeleteLevel"_s), 2);
    QCOMPARE(level->currentIndex(), 2);
    // Without secure removal the level is not offered.
    defaults.setBool(false, u"enableSecureDelete"_s);
    QVERIFY(!mostSecure->isEnabled());
    QVERIFY(!level->isEnabled());

    fx.prefs.hideAdvancedOptionsPanel();
    QVERIFY(!panel->isVisible());
    QVERIFY(fx.prefs.prefsWindow()->isVisible());
}

void tst_Prefs::windowsOpenCentred_data()
{
    QTest::addColumn<bool>("advanced");
    QTest::addColumn<bool>("reopen"); // moved by the user, closed and opened again
    QTest::newRow("preferences") << false << false;
    QTest::newRow("advanced options") << true << false;
    QTest::newRow("preferences, opened again") << false << true;
}

// Without a window manager a new window would sit at the screen's corner.
void tst_Prefs::windowsOpenCentred()
{
    QFETCH(bool, advanced);
    QFETCH(bool, reopen);
    Fixture fx;
    QVERIFY(fx.ready);
    fx.addSafari();
    fx.prefs.showPrefsWindow();
    QWidget *window = fx.prefs.prefsWindow();
    if (reopen) {
        // Only the first opening is centred: later it opens where the user left it.
        const QPoint left = window->pos() + QPoint(-120, 70);
        window->move(left);
        window->close();
        QVERIFY(!fx.prefs.prefsWindowLoaded());
        fx.prefs.showPrefsWindow();
        QVERIFY(window->isVisible());
        QCOMPARE(window->pos(), left);
        return;
    }
    if (advanced) {
        fx.prefs.showAdvancedOptionsPanel();
        window = fx.prefs.advancedOptionsPanel();
    }
    QVERIFY(window->isVisible());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // Placed before it is shown: the frame it gets then may shift it by its own width.
    QVERIFY2((window->frameGeometry().center() - screenCentre).manhattanLength() <= 8,
             qPrintable(u"%1,%2 %3x%4 screen %5,%6"_s.arg(window->frameGeometry().center().x())
                            .arg(window->frameGeometry().center().y())
                            .arg(window->width())
                            .arg(window->height())
                            .arg(screenCentre.x())
                            .arg(screenCentre.y())));
    if (advanced)
        fx.prefs.hideAdvancedOptionsPanel();
}

void tst_Prefs::nothingSitsWhereTheSettingsTipPoints_data()
{
    QTest::addColumn<bool>("withPane");
    QTest::newRow("a pane") << true;
    QTest::newRow("no pane") << false;
}

// The settings tip hangs 10 points left of the application pop-up; a control there would be
// hidden under it.
void tst_Prefs::nothingSitsWhereTheSettingsTipPoints()
{
    QFETCH(bool, withPane);
    Fixture fx;
    QVERIFY(fx.ready);
    if (withPane)
        fx.addSafari();
    fx.prefs.showPrefsWindow();
    QWidget *window = fx.prefs.prefsWindow();
    QWidget *popUp = fx.prefs.popUp();
    const QRect anchor(popUp->mapTo(window, QPoint(0, 0)), popUp->size());
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (!child->isVisible() || child == popUp || popUp->isAncestorOf(child) || child->isAncestorOf(popUp))
            continue;
        const QRect r(child->mapTo(window, QPoint(0, 0)), child->size());
        const bool sameRow = r.top() < anchor.bottom() && r.bottom() > anchor.top();
        QVERIFY2(!(sameRow && r.right() < anchor.left()), qPrintable(child->objectName()));
    }
}

QTEST_MAIN(tst_Prefs)
#include "tst_prefs.moc"
