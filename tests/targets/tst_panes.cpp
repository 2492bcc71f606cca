#include "PaneShelf.h"

#include "platform/UserDefaults.h"
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

using platform::UserDefaults;

namespace {

const QStringList safariKeys = {
    QStringLiteral("scanSafari"),        QStringLiteral("safariBrowsing"),
    QStringLiteral("safariCache"),       QStringLiteral("safariCookies"),
    QStringLiteral("safariDownloads"),   QStringLiteral("safariForms"),
    QStringLiteral("safariLastSession"), QStringLiteral("safariRecentSearches"),
    QStringLiteral("safariTopSites"),    QStringLiteral("safariWebpageIcons"),
    QStringLiteral("safariDOM"),
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
    QCOMPARE(pane.title(), QStringLiteral("Safari Settings"));
    QCOMPARE(pane.identifier(), QStringLiteral("com.apple.Safari"));
    QCOMPARE(pane.nibName(), QStringLiteral("SafariPrefsView"));
    QVERIFY(!pane.isViewLoaded());
    QWidget *view = pane.view();
    QVERIFY(view);
    QCOMPARE(view, pane.view());
    QCOMPARE(view->objectName(), QStringLiteral("SafariPrefsView"));

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
        {QStringLiteral("ScanSafari"), true},        {QStringLiteral("SafariBrowsing"), true},
        {QStringLiteral("SafariCache"), true},       {QStringLiteral("SafariCookies"), false},
        {QStringLiteral("SafariDownloads"), true},   {QStringLiteral("SafariForms"), true},
        {QStringLiteral("SafariLastSession"), true}, {QStringLiteral("SafariRecentSearches"), true},
        {QStringLiteral("SafariTopSites"), true},    {QStringLiteral("SafariWebpageIcons"), true},
        {QStringLiteral("SafariDOM"), true},
    };
    const QVariantMap registered = defaults.registeredDefaults();
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(registered.contains(it.key()), qPrintable(it.key()));
        QCOMPARE(registered.value(it.key()).toBool(), it.value().toBool());
    }
    // Its names are its own: the module's keys are not given defaults by the pane.
    QVERIFY(!registered.contains(QStringLiteral("scanSafari")));
    QVERIFY(!registered.contains(QStringLiteral("safariCookies")));
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
    defaults.setBool(false, QStringLiteral("safariCookies"));
    SafariPrefsViewController pane;
    auto *box = pane.view()->findChild<QCheckBox *>(QStringLiteral("safariCookies"));
    QVERIFY(box && !box->isChecked());

    defaults.setBool(true, QStringLiteral("safariCookies"));
    QVERIFY(box->isChecked());

    // A change made on another thread reaches the check box through the main thread.
    std::thread worker([&defaults] { defaults.setBool(false, QStringLiteral("safariCookies")); });
    worker.join();
    QTRY_VERIFY(!box->isChecked());
}

void tst_Panes::removedUserValueShowsRegisteredValue()
{
    FakeHome home;
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.registerDefaults({{QStringLiteral("safariDOM"), true}});
    defaults.setBool(false, QStringLiteral("safariDOM"));
    SafariPrefsViewController pane;
    auto *box = pane.view()->findChild<QCheckBox *>(QStringLiteral("safariDOM"));
    QVERIFY(box && !box->isChecked());
    defaults.removeObjectForKey(QStringLiteral("safariDOM"));
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
    QCOMPARE(shelf.idents, QStringList{QStringLiteral("com.apple.Safari")});
    QCOMPARE(shelf.panes.size(), size_t(1));
    QVERIFY(shelf.panes.front());
    QCOMPARE(shelf.panes.front()->title(), QStringLiteral("Safari Settings"));

    // The pane outlives the module that made it, and so does the binding of its view.
    QPointer<QWidget> view = shelf.panes.front()->view();
    auto *master = view->findChild<QCheckBox *>(QStringLiteral("scanSafari"));
    QVERIFY(master);
    const bool before = UserDefaults::standardUserDefaults().boolForKey(QStringLiteral("scanSafari"));
    master->click();
    QCOMPARE(UserDefaults::standardUserDefaults().boolForKey(QStringLiteral("scanSafari")), !before);
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
    QTest::newRow("Finder") << "Finder" << "com.apple.Finder" << "Finder Settings" << "FinderPrefsView"
        << QStringList{"scanFinder", "finderRecentItems", "finderQuarantineEvents", "finderRecentFolders"}
        << QStringList{"ScanFinder", "FinderRecentItems", "FinderQuarantineEvents", "FinderRecentFolders"};
    QTest::newRow("QuickTime") << "QuickTime" << "com.apple.QuickTimePlayerX" << "QuickTime Settings" << "QuickTimePrefsView"
        << QStringList{"scanQuickTime", "quickTimeCache", "quickTimeQuarantineEvents", "quickTimeRecentItems"}
        << QStringList{"ScanQuickTime", "QuickTimeCache", "QuickTimeQuarantineEvents", "QuickTimeRecentItems"};
    QTest::newRow("Preview") << "Preview" << "com.apple.Preview" << "Preview Settings" << "PreviewPrefsView"
        << QStringList{"scanPreview", "previewRecentItems"} << QStringList{"ScanPreview", "PreviewRecentItems"};
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
