#include "PaneShelf.h"

#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/finder/FinderController.h"
#include "targets/preview/PreviewController.h"
#include "targets/quicktime/QuickTimeController.h"
#include "targets/safari/SafariController.h"
#include "targets/safari/SafariPrefsViewController.h"

#include <QApplication>
#include <QCheckBox>
#include <QPointer>
#include <QtTest>

#include <memory>
#include <thread>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

namespace {

const QStringList safariKeys = {
    u"scanSafari"_s,      u"safariBrowsing"_s,     u"safariCache"_s,       u"safariCookies"_s,
    u"safariDownloads"_s, u"safariForms"_s,        u"safariLastSession"_s, u"safariRecentSearches"_s,
    u"safariTopSites"_s,  u"safariWebpageIcons"_s, u"safariDOM"_s,
};

} // namespace

class tst_Panes : public QObject
{
    Q_OBJECT
private slots:
    void safariPaneIdentity();
    void safariPaneRegistersItsDefaults();
    void checkBoxEditsItsKey_data();
    void checkBoxEditsItsKey();
    void defaultChangeMovesCheckBox();
    void removedUserValueShowsRegisteredValue();
    void moduleHandsPaneToHost();
    void systemModulePanes_data();
    void systemModulePanes();
};

void tst_Panes::safariPaneIdentity()
{
    FakeHome home;
    QVERIFY(home.isValid());
    SafariPrefsViewController pane;
    QCOMPARE(pane.title(), u"Safari Settings"_s);
    QCOMPARE(pane.identifier(), u"com.apple.Safari"_s);
    QCOMPARE(pane.nibName(), u"SafariPrefsView"_s);
    QVERIFY(!pane.isViewLoaded());
    QWidget *view = pane.view();
    QVERIFY(view);
    QCOMPARE(view, pane.view());
    QCOMPARE(view->objectName(), u"SafariPrefsView"_s);

    // One check box per key the module reads, in its order, and no other.
    QStringList names;
    for (QCheckBox *box : view->findChildren<QCheckBox *>())
        names.append(box->objectName());
    QCOMPARE(names, safariKeys);
}

void tst_Panes::safariPaneRegistersItsDefaults()
{
    FakeHome home;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    SafariPrefsViewController pane;
    const QVariantMap expected = {
        {u"ScanSafari"_s, true},        {u"SafariBrowsing"_s, true},
        {u"SafariCache"_s, true},       {u"SafariCookies"_s, false},
        {u"SafariDownloads"_s, true},   {u"SafariForms"_s, true},
        {u"SafariLastSession"_s, true}, {u"SafariRecentSearches"_s, true},
        {u"SafariTopSites"_s, true},    {u"SafariWebpageIcons"_s, true},
        {u"SafariDOM"_s, true},
    };
    const QVariantMap registered = defaults.registeredDefaults();
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(registered.contains(it.key()), qPrintable(it.key()));
        QCOMPARE(registered.value(it.key()).toBool(), it.value().toBool());
    }
    // Its names are its own: the module's keys are not given defaults by the pane.
    QVERIFY(!registered.contains(u"scanSafari"_s));
    QVERIFY(!registered.contains(u"safariCookies"_s));
}

void tst_Panes::checkBoxEditsItsKey_data()
{
    QTest::addColumn<QString>("key");
    for (const QString &key : safariKeys)
        QTest::newRow(qPrintable(key)) << key;
}

void tst_Panes::checkBoxEditsItsKey()
{
    QFETCH(QString, key);
    FakeHome home;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    for (const QString &k : safariKeys)
        defaults.setBool(true, k);

    SafariPrefsViewController pane;
    auto *box = pane.view()->findChild<QCheckBox *>(key);
    QVERIFY(box);
    QVERIFY(box->isChecked());

    box->click();
    QVERIFY(!box->isChecked());
    QCOMPARE(defaults.objectForKey(key), QVariant(false));
    for (const QString &other : safariKeys) {
        if (other != key)
            QVERIFY2(defaults.boolForKey(other), qPrintable(other));
    }
    box->click();
    QCOMPARE(defaults.objectForKey(key), QVariant(true));
}

void tst_Panes::defaultChangeMovesCheckBox()
{
    FakeHome home;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(false, u"safariCookies"_s);
    SafariPrefsViewController pane;
    auto *box = pane.view()->findChild<QCheckBox *>(u"safariCookies"_s);
    QVERIFY(box && !box->isChecked());

    defaults.setBool(true, u"safariCookies"_s);
    QVERIFY(box->isChecked());

    // A change made on another thread reaches the check box through the main thread.
    std::thread worker([&defaults] { defaults.setBool(false, u"safariCookies"_s); });
    worker.join();
    QTRY_VERIFY(!box->isChecked());
}

void tst_Panes::removedUserValueShowsRegisteredValue()
{
    FakeHome home;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.registerDefaults({{u"safariDOM"_s, true}});
    defaults.setBool(false, u"safariDOM"_s);
    SafariPrefsViewController pane;
    auto *box = pane.view()->findChild<QCheckBox *>(u"safariDOM"_s);
    QVERIFY(box && !box->isChecked());
    defaults.removeObjectForKey(u"safariDOM"_s);
    QVERIFY(box->isChecked());
}

void tst_Panes::moduleHandsPaneToHost()
{
    FakeHome home;
    PaneShelf shelf;
    {
        SafariController safari;
        safari.setPrefControl(&shelf);
        safari.loadTargetPrefView();
    }
    QCOMPARE(shelf.idents, QStringList{u"com.apple.Safari"_s});
    QCOMPARE(shelf.panes.size(), size_t(1));
    QVERIFY(shelf.panes.front());
    QCOMPARE(shelf.panes.front()->title(), u"Safari Settings"_s);

    // The pane outlives the module that made it, and so does the binding of its view.
    QPointer<QWidget> view = shelf.panes.front()->view();
    auto *master = view->findChild<QCheckBox *>(u"scanSafari"_s);
    QVERIFY(master);
    const bool before = UserDefaults::standardUserDefaults().boolForKey(u"scanSafari"_s);
    master->click();
    QCOMPARE(UserDefaults::standardUserDefaults().boolForKey(u"scanSafari"_s), !before);
    shelf.panes.clear();
    QVERIFY(view.isNull());
}

void tst_Panes::systemModulePanes_data()
{
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("ident");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("nib");
    QTest::addColumn<QStringList>("keys");       // the check boxes, in the module's order
    QTest::addColumn<QStringList>("registered"); // what the pane registers, all on
    QTest::newRow("Finder") << "Finder"
                            << "com.apple.Finder"
                            << "Finder Settings"
                            << "FinderPrefsView"
                            << QStringList{"scanFinder", "finderRecentItems", "finderQuarantineEvents",
                                           "finderRecentFolders"}
                            << QStringList{"ScanFinder", "FinderRecentItems", "FinderQuarantineEvents",
                                           "FinderRecentFolders"};
    QTest::newRow("QuickTime") << "QuickTime"
                               << "com.apple.QuickTimePlayerX"
                               << "QuickTime Settings"
                               << "QuickTimePrefsView"
                               << QStringList{"scanQuickTime", "quickTimeCache", "quickTimeQuarantineEvents",
                                              "quickTimeRecentItems"}
                               << QStringList{"ScanQuickTime", "QuickTimeCache", "QuickTimeQuarantineEvents",
                                              "QuickTimeRecentItems"};
    QTest::newRow("Preview") << "Preview"
                             << "com.apple.Preview"
                             << "Preview Settings"
                             << "PreviewPrefsView" << QStringList{"scanPreview", "previewRecentItems"}
                             << QStringList{"ScanPreview", "PreviewRecentItems"};
}

void tst_Panes::systemModulePanes()
{
    QFETCH(QString, module);
    QFETCH(QString, ident);
    QFETCH(QString, title);
    QFETCH(QString, nib);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, registered);
    FakeHome home;
    PaneShelf shelf;
    {
        std::unique_ptr<ModuleController> controller;
        if (module == QLatin1String("Finder"))
            controller = std::make_unique<FinderController>();
        else if (module == QLatin1String("QuickTime"))
            controller = std::make_unique<QuickTimeController>();
        else
            controller = std::make_unique<PreviewController>();
        controller->setPrefControl(&shelf);
        controller->loadTargetPrefView();
    }
    QCOMPARE(shelf.idents, QStringList{ident});
    QCOMPARE(shelf.panes.size(), size_t(1));
    MasterPrefsViewController *pane = shelf.panes.front().get();
    QCOMPARE(pane->identifier(), ident);
    QCOMPARE(pane->title(), title);
    QCOMPARE(pane->nibName(), nib);
    QStringList names;
    for (QCheckBox *box : pane->view()->findChildren<QCheckBox *>())
        names.append(box->objectName());
    QCOMPARE(names, keys);
    const QVariantMap defaults = UserDefaults::standardUserDefaults().registeredDefaults();
    for (const QString &key : registered)
        QVERIFY2(defaults.value(key).toBool(), qPrintable(key));
}

QTEST_MAIN(tst_Panes)
#include "tst_panes.moc"
