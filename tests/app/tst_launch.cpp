#include "platform/plist/PropertyList.h"
#include "support/FakeHome.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>

// Starts the built application as a child process against a fake home and system root and
// checks what its start-up leaves in the user's settings store.
namespace {

const QString kStore = "Library/Preferences/com.brindlecove.Nimbrel.plist";

QVariantMap readStore(const FakeHome &home)
{
    const auto store = platform::PropertyList::fromFile(home.path(kStore));
    return store ? store->toVariant().toMap() : QVariantMap();
}

// True when every expected key holds its value; an invalid expected value means "absent".
bool storeMatches(const QVariantMap &store, const QVariantMap &expected)
{
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        if (!it.value().isValid() ? store.contains(it.key()) : store.value(it.key()) != it.value())
            return false;
    }
    return true;
}

bool copyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (it.fileInfo().isDir() ? !QDir().mkpath(target) : !QFile::copy(source, target))
            return false;
    }
    return true;
}

} // namespace

class tst_launch : public QObject
{
    Q_OBJECT

private slots:
    void startUpAndTermination_data()
    {
        QTest::addColumn<QString>("systemVersion");
        QTest::addColumn<QVariantMap>("before");
        QTest::addColumn<QVariantMap>("after");
        QTest::addColumn<bool>("damagedList");
        QTest::addColumn<int>("signal");

        const QVariantMap seeded{{"secureDeleteLevel", 7}, {"enableTips", true}, {"disableFW3Alert", true}};
        QTest::newRow("10.13") << "10.13" << seeded
                               << QVariantMap{{"secureDeleteLevel", 2},
                                              {"isHighSierra", true},
                                              {"enableTips", false},
                                              {"disableBrindlecoveAlert", true}}
                               << false << int(SIGTERM);
        QTest::newRow("11.0") << "11.0" << seeded
                              << QVariantMap{{"secureDeleteLevel", 2},
                                             {"isHighSierra", QVariant()},
                                             {"enableTips", true},
                                             {"disableBrindlecoveAlert", true}}
                              << false << int(SIGTERM);
        QTest::newRow("level -1, interrupted") << "10.12" << QVariantMap{{"secureDeleteLevel", -1}}
                                               << QVariantMap{{"secureDeleteLevel", 0}} << false << int(SIGINT);
        QTest::newRow("damaged defaults list") << "11.0" << QVariantMap{{"secureDeleteLevel", 7}}
                                               << QVariantMap{{"secureDeleteLevel", 2}} << true << int(SIGTERM);
    }
    void startUpAndTermination()
    {
        QFETCH(QString, systemVersion);
        QFETCH(QVariantMap, before);
        QFETCH(QVariantMap, after);
        QFETCH(bool, damagedList);
        QFETCH(int, signal);

        FakeHome home;
        QVERIFY(home.isValid());
        QVERIFY(home.setSystemVersion(systemVersion));
        QVERIFY(home.writePlist(kStore, before, platform::PropertyList::Format::Binary));

        QString bundle = NIMBREL_TEST_BUNDLE;
        if (damagedList) {
            // A copy of the bundle whose defaults list does not parse.
            const QString copy = home.rootPath("Applications/Nimbrel.app");
            QVERIFY(copyTree(bundle, copy));
            QFile list(copy + "/Contents/Resources/UserDefaults.plist");
            QVERIFY(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
            list.write("<?xml version=\"1.0\"?><plist><dict><key>broken");
            list.close();
            QFile::setPermissions(copy + "/Contents/MacOS/Nimbrel",
                                  QFile::permissions(bundle + "/Contents/MacOS/Nimbrel"));
            bundle = copy;
        }

        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment(); // HOME etc. of the fake
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("NIMBREL_BUNDLE_PATH");
        app.setProcessEnvironment(env);
        app.start(bundle + "/Contents/MacOS/Nimbrel", {});
        QVERIFY2(app.waitForStarted(30000), qPrintable(app.errorString()));

        // Settings are written within about a second of the change, while the app runs.
        QTRY_VERIFY_WITH_TIMEOUT(storeMatches(readStore(home), after), 15000);
        QCOMPARE(app.state(), QProcess::Running); // no window yet, but it keeps running

        ::kill(pid_t(app.processId()), signal);
        QVERIFY(app.waitForFinished(30000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QVERIFY(storeMatches(readStore(home), after));

        const QByteArray errors = app.readAllStandardError();
        QCOMPARE(errors.count("UserDefaults.plist is missing or damaged"), damagedList ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(tst_launch)
#include "tst_launch.moc"
