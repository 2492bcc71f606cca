#include "app/MainInterface.h"
#include "app/NimbrelAppDelegate.h"
#include "core/FileController.h"
#include "core/LocationController.h"
#include "platform/system/Timer.h"
#include "platform/system/UserDefaults.h"
#include "support/FakeHome.h"
#include "targets/chrome/ChromeController.h"
#include "targets/chromium/ChromiumController.h"
#include "targets/flock/FlockController.h"
#include "targets/opera/OperaController.h"
#include "ui/main/AppController.h"
#include "ui/main/MainWindow.h"
#include "ui/results/ResultsController.h"

#include <QApplication>
#include <QtTest>

using namespace Qt::StringLiterals;

using platform::UserDefaults;

namespace {

struct Browser
{
    const char *identifier;
    const char *name;
    const char *history; // below the home folder
};

const Browser browsers[] = {
    {"com.google.Chrome", "Chrome", "Library/Application Support/Google/Chrome/Default/History"},
    {"org.chromium.Chromium", "Chromium", "Library/Application Support/Chromium/Default/History"},
    {"com.operasoftware.Opera", "Opera", "Library/Application Support/com.operasoftware.Opera/History"},
    {"com.flock.Flock", "Flock", "Library/Application Support/Flock/User Data/Default/History"},
};

} // namespace

class tst_ChromiumWiring : public QObject
{
    Q_OBJECT
private slots:
    void installedBrowsersAreOfferedAndScanned_data();
    void installedBrowsersAreOfferedAndScanned();
};

void tst_ChromiumWiring::installedBrowsersAreOfferedAndScanned_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::newRow("none") << QStringList{};
    QTest::newRow("Chrome and Opera") << QStringList{u"Chrome"_s, u"Opera"_s};
    QTest::newRow("Chromium and Flock") << QStringList{u"Chromium"_s, u"Flock"_s};
    QTest::newRow("all four") << QStringList{u"Chrome"_s, u"Chromium"_s, u"Opera"_s, u"Flock"_s};
}

// Each module is made, wired and offered only where its application is installed; a scan
// of the whole program reaches its History through the file and database services.
void tst_ChromiumWiring::installedBrowsersAreOfferedAndScanned()
{
    QFETCH(QStringList, installed);
    FakeHome home;
    NimbrelAppDelegate::registerDefaultsAndApplyRules();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(false, u"FirstLaunch"_s);
    for (const Browser &b : browsers) {
        defaults.setBool(true, QString::fromLatin1(b.identifier)); // pane offered before
        QVERIFY(home.writeFile(QString::fromLatin1(b.history), "not yet a database"));
        if (!installed.contains(QLatin1String(b.name)))
            continue;
        home.addApplication(QString::fromLatin1(b.identifier), QString::fromLatin1(b.name));
        QVERIFY(QFile::remove(home.path(QString::fromLatin1(b.history))));
        QVERIFY(home.createSqlite(QString::fromLatin1(b.history),
                                  u"CREATE TABLE urls(id INTEGER PRIMARY KEY,url LONGVARCHAR);"
                                  "CREATE TABLE segments (id INTEGER PRIMARY KEY,name VARCHAR,url_id INTEGER NON NULL);"
                                  "INSERT INTO urls VALUES(1,'https://www.example.org/');"_s));
    }
    std::unique_ptr<MainInterface> ui = MainInterface::load();
    QVERIFY(ui->chromeController() && ui->chromiumController() && ui->operaController() && ui->flockController());
    QCOMPARE(ui->chromeController()->fileControl(), ui->fileControl());
    QCOMPARE(ui->flockController()->dbControl(), ui->dbControl());

    QStringList offered;
    for (const locationItemPtr &row : ui->locationControl()->locationArrayController()->arrangedObjects())
        offered.append(row->locName());
    for (const Browser &b : browsers)
        QCOMPARE(offered.contains(QLatin1String(b.name)), installed.contains(QLatin1String(b.name)));

    QVERIFY(QTest::qWaitForWindowExposed(ui->appControl()->mainWindow()));
    platform::Timer::fireAllPending();
    ui->appControl()->scan();
    QStringList found;
    for (const resultItemPtr &row : ui->fileControl()->resultsArrayController()->arrangedObjects())
        found.append(row->resultItemName());
    QStringList expected;
    for (const QString &name : std::as_const(installed))
        expected.append(name + u" Browsing History"_s);
    found.sort();
    expected.sort();
    QCOMPARE(found, expected);
}

QTEST_MAIN(tst_ChromiumWiring)
#include "tst_chromiumwiring.moc"
