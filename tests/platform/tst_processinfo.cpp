#include "platform/plist/PropertyList.h"
#include "platform/system/ProcessInfo.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using platform::Gestalt;
using platform::ProcessInfo;
using platform::PropertyList;

class tst_ProcessInfo : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void systemRootFromEnvironment_data();
    void systemRootFromEnvironment();
    void operatingSystemVersion_data();
    void operatingSystemVersion();
    void otherGestaltSelector();
    void globallyUniqueString();
    void activityTokens();

private:
    QByteArray m_savedRoot;
    bool m_rootWasSet = false;
};

void tst_ProcessInfo::init()
{
    m_rootWasSet = qEnvironmentVariableIsSet("NIMBREL_SYSTEM_ROOT");
    m_savedRoot = qgetenv("NIMBREL_SYSTEM_ROOT");
}

void tst_ProcessInfo::cleanup()
{
    if (m_rootWasSet)
        qputenv("NIMBREL_SYSTEM_ROOT", m_savedRoot);
    else
        qunsetenv("NIMBREL_SYSTEM_ROOT");
}

void tst_ProcessInfo::systemRootFromEnvironment_data()
{
    QTest::addColumn<QString>("variable"); // "<unset>" leaves it out
    QTest::addColumn<QString>("root");
    QTest::newRow("unset") << "<unset>"
                           << "/";
    QTest::newRow("empty") << ""
                           << "/";
    QTest::newRow("plain") << "/tmp/fake"
                           << "/tmp/fake";
    QTest::newRow("trailing slashes") << "/tmp/fake//"
                                      << "/tmp/fake";
    QTest::newRow("slash") << "/"
                           << "/";
}

void tst_ProcessInfo::systemRootFromEnvironment()
{
    QFETCH(QString, variable);
    QFETCH(QString, root);
    if (variable == "<unset>")
        qunsetenv("NIMBREL_SYSTEM_ROOT");
    else
        qputenv("NIMBREL_SYSTEM_ROOT", variable.toUtf8());
    QCOMPARE(platform::systemRoot(), root);
}

void tst_ProcessInfo::operatingSystemVersion_data()
{
    QTest::addColumn<QByteArray>("file"); // empty: no file at all
    QTest::addColumn<bool>("known");
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("patch");

    auto list = [](const QVariant &version, PropertyList::Format format) {
        QVariantMap map{{"ProductName", "Mac OS X"}, {"ProductBuildVersion", "17G65"}};
        if (version.isValid())
            map.insert("ProductVersion", version);
        return PropertyList::fromVariant(map, format).toData().value();
    };
    const auto bin = PropertyList::Format::Binary;
    const auto xml = PropertyList::Format::Xml;
    QTest::newRow("10.13.6 binary") << list("10.13.6", bin) << true << 10 << 13 << 6;
    QTest::newRow("10.13.6 xml") << list("10.13.6", xml) << true << 10 << 13 << 6;
    QTest::newRow("11.0") << list("11.0", xml) << true << 11 << 0 << 0;
    QTest::newRow("10.9") << list("10.9", bin) << true << 10 << 9 << 0;
    QTest::newRow("10.15.7") << list("10.15.7", bin) << true << 10 << 15 << 7;
    QTest::newRow("14.2.1") << list("14.2.1", xml) << true << 14 << 2 << 1;
    QTest::newRow("no file") << QByteArray() << false << 0 << 0 << 0;
    QTest::newRow("damaged") << QByteArray("bplist00\x01\x02garbage") << false << 0 << 0 << 0;
    QTest::newRow("truncated") << list("10.13.6", bin).left(30) << false << 0 << 0 << 0;
    QTest::newRow("no ProductVersion") << list(QVariant(), xml) << false << 0 << 0 << 0;
    QTest::newRow("version not a string") << list(qint64(10), bin) << false << 0 << 0 << 0;
    QTest::newRow("version text") << list("ten", bin) << false << 0 << 0 << 0;
    QTest::newRow("four parts") << list("10.13.6.1", bin) << false << 0 << 0 << 0;
    QTest::newRow("array root") << PropertyList::fromVariant(QVariantList{"10.13"}).toData().value() << false << 0 << 0
                                << 0;
}

void tst_ProcessInfo::operatingSystemVersion()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, known);
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, patch);

    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.path() + "/System/Library/CoreServices";
    QVERIFY(QDir().mkpath(folder));
    if (!file.isEmpty()) {
        QFile f(folder + "/SystemVersion.plist");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    qputenv("NIMBREL_SYSTEM_ROOT", QFile::encodeName(root.path()));

    const auto version = ProcessInfo::processInfo().operatingSystemVersion();
    QCOMPARE(version.has_value(), known);
    if (known) {
        QCOMPARE(version->majorVersion, major);
        QCOMPARE(version->minorVersion, minor);
        QCOMPARE(version->patchVersion, patch);
    }
    QCOMPARE(Gestalt::value(Gestalt::gestaltSystemVersionMajor), major);
    QCOMPARE(Gestalt::value(Gestalt::gestaltSystemVersionMinor), minor);
}

void tst_ProcessInfo::otherGestaltSelector()
{
    QTemporaryDir root;
    const QString folder = root.path() + "/System/Library/CoreServices";
    QVERIFY(QDir().mkpath(folder));
    QFile f(folder + "/SystemVersion.plist");
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(PropertyList::fromVariant(QVariantMap{{"ProductVersion", "10.13.6"}}).toData().value());
    f.close();
    qputenv("NIMBREL_SYSTEM_ROOT", QFile::encodeName(root.path()));
    QCOMPARE(Gestalt::value(Gestalt::gestaltSystemVersionMinor), 13);
    QCOMPARE(Gestalt::value(0x73797333), 0); // 'sys3' is not answered
    QCOMPARE(Gestalt::value(0), 0);
}

void tst_ProcessInfo::globallyUniqueString()
{
    const QString a = ProcessInfo::processInfo().globallyUniqueString();
    const QString b = ProcessInfo::processInfo().globallyUniqueString();
    static const QRegularExpression form("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    QVERIFY2(form.match(a).hasMatch(), qPrintable(a));
    QVERIFY(a != b);
}

void tst_ProcessInfo::activityTokens()
{
    ProcessInfo &info = ProcessInfo::processInfo();
    const quint64 first = info.beginActivity(0x00FFFFFF, "App Launched");
    const quint64 second = info.beginActivity(0x00FFFFFF, "App Launched");
    QVERIFY(first != 0);
    QVERIFY(first != second);
    info.endActivity(first);
}

QTEST_GUILESS_MAIN(tst_ProcessInfo)
#include "tst_processinfo.moc"
