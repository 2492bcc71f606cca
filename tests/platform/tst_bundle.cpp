#include "platform/gui/Sound.h"
#include "platform/plist/PropertyList.h"
#include "platform/system/Bundle.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::Bundle;
using platform::PropertyList;

class tst_Bundle : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void mainBundleIsTheBuiltOne();
    void resources_data();
    void resources();
    void infoDictionaryOfDamagedBundle_data();
    void infoDictionaryOfDamagedBundle();
    void soundsComeFromTheMainBundle();

private:
    QTemporaryDir m_dir;
    QString m_bundle;
};

void tst_Bundle::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("NIMBREL_BUNDLE_PATH"))
        qputenv("NIMBREL_BUNDLE_PATH", NIMBREL_TEST_BUNDLE);
    QVERIFY(m_dir.isValid());
    m_bundle = m_dir.path() + "/Fake.app";
    QVERIFY(QDir().mkpath(m_bundle + "/Contents/Resources/sub"));
    QFile info(m_bundle + "/Contents/Info.plist");
    QVERIFY(info.open(QIODevice::WriteOnly));
    info.write(PropertyList::fromVariant(
                   QVariantMap{{"CFBundleIdentifier", "org.example.Fake"}, {"CFBundleShortVersionString", "3.1"}},
                   PropertyList::Format::Xml)
                   .toData()
                   .value());
    info.close();
    for (const char *name : {"Tip.rtf", "UserDefaults.plist", "noext"}) {
        QFile f(m_bundle + "/Contents/Resources/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
}

void tst_Bundle::mainBundleIsTheBuiltOne()
{
    Bundle &main = Bundle::mainBundle();
    QCOMPARE(QDir(main.bundlePath()).canonicalPath(), QDir(NIMBREL_TEST_BUNDLE).canonicalPath());
    QCOMPARE(main.bundleIdentifier(), QString("com.brindlecove.Nimbrel"));
    QVERIFY(!main.infoDictionary().value("CFBundleShortVersionString").toString().isEmpty());
    QVERIFY(main.executablePath("qznb").endsWith("/Contents/MacOS/qznb"));
}

void tst_Bundle::resources_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("found"); // relative to Resources; empty: not found
    QTest::newRow("name and type") << "Tip"
                                   << "rtf"
                                   << "Tip.rtf";
    QTest::newRow("plist") << "UserDefaults"
                           << "plist"
                           << "UserDefaults.plist";
    QTest::newRow("type already in name") << "Tip.rtf"
                                          << "rtf"
                                          << "Tip.rtf";
    QTest::newRow("no type") << "noext"
                             << ""
                             << "noext";
    QTest::newRow("wrong type") << "Tip"
                                << "plist"
                                << "";
    QTest::newRow("missing") << "Nothing"
                             << "rtf"
                             << "";
    QTest::newRow("folder is not a resource") << "sub"
                                              << ""
                                              << "";
    QTest::newRow("empty name") << ""
                                << "rtf"
                                << "";
}

void tst_Bundle::resources()
{
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(QString, found);
    const Bundle bundle(m_bundle);
    QCOMPARE(bundle.resourcePath(), m_bundle + "/Contents/Resources");
    const QString expected = found.isEmpty() ? QString() : m_bundle + "/Contents/Resources/" + found;
    QCOMPARE(bundle.pathForResource(name, type), expected);
    QCOMPARE(bundle.bundleIdentifier(), QString("org.example.Fake"));
    QCOMPARE(bundle.infoDictionary().value("CFBundleShortVersionString").toString(), QString("3.1"));
}

void tst_Bundle::infoDictionaryOfDamagedBundle_data()
{
    QTest::addColumn<QByteArray>("info"); // empty: no Info.plist
    QTest::newRow("missing") << QByteArray();
    QTest::newRow("damaged") << QByteArray("<plist><dict><key>CFBundleIdentifier</key>");
    QTest::newRow("identifier not a string")
        << PropertyList::fromVariant(QVariantMap{{"CFBundleIdentifier", 5}}).toData().value();
}

void tst_Bundle::infoDictionaryOfDamagedBundle()
{
    QFETCH(QByteArray, info);
    QTemporaryDir dir;
    QVERIFY(QDir().mkpath(dir.path() + "/Odd.app/Contents"));
    if (!info.isEmpty()) {
        QFile f(dir.path() + "/Odd.app/Contents/Info.plist");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(info);
    }
    const Bundle bundle(dir.path() + "/Odd.app");
    QVERIFY(bundle.bundleIdentifier().isEmpty());
    QVERIFY(bundle.pathForResource("Info", "plist").isEmpty());
}

void tst_Bundle::soundsComeFromTheMainBundle()
{
    const auto sound = platform::Sound::soundNamed("shredding-short");
    QVERIFY(sound);
    QCOMPARE(sound->path(), Bundle::mainBundle().pathForResource("shredding-short", "wav"));
    QVERIFY(!sound->isPlaying());
    QCOMPARE(platform::Sound::soundNamed("shredding-short"), sound); // one object per name
    QVERIFY(platform::Sound::soundNamed("shredding"));
    QVERIFY(!platform::Sound::soundNamed("no such sound"));
    QVERIFY(!platform::Sound::play("no such sound"));
}

QTEST_GUILESS_MAIN(tst_Bundle)
#include "tst_bundle.moc"
