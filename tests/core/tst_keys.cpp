#include "core/Keys.h"
#include "core/Settings.h"
#include "platform/plist/PropertyList.h"

#include <QtTest>

using namespace Qt::StringLiterals;

class tst_Keys : public QObject
{
    Q_OBJECT
private slots:
    void alertParentTags_data();
    void alertParentTags();
    void cleaningStatus_data();
    void cleaningStatus();
    void settingsTableAgreesWithTheBundledDefaults_data();
    void settingsTableAgreesWithTheBundledDefaults();
};

void tst_Keys::alertParentTags_data()
{
    QTest::addColumn<QString>("tag");
    QTest::addColumn<int>("parent"); // -1: no requester
    QTest::newRow("scan") << "AppControl" << int(keys::AlertParent::AppControl);
    QTest::newRow("run") << "ResultsControl" << int(keys::AlertParent::ResultsControl);
    QTest::newRow("one row") << "ResultsControlSingleEntry" << int(keys::AlertParent::ResultsControlSingleEntry);
    QTest::newRow("case matters") << "appcontrol" << -1;
    QTest::newRow("prefix is not enough") << "ResultsControlSingle" << -1;
    QTest::newRow("empty") << "" << -1;
}

// The tag travels in a dictionary between requester and alert: both directions must agree.
void tst_Keys::alertParentTags()
{
    QFETCH(QString, tag);
    QFETCH(int, parent);
    const std::optional<keys::AlertParent> read = keys::alertParentFromTag(tag);
    QCOMPARE(read ? int(*read) : -1, parent);
    if (read)
        QCOMPARE(keys::alertParentTag(*read), tag);
}

void tst_Keys::cleaningStatus_data()
{
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QVariantMap>("expected");
    QTest::newRow("whole") << "Safari Cache"
                           << "/Users/a/Library/Caches/Safari"
                           << QVariantMap{{"cleaningItemAppName", "Safari"},
                                          {"cleaningItemName", "Safari Cache"},
                                          {"cleaningItemPath", "/Users/a/Library/Caches/Safari"},
                                          {"didClean", true}};
    QTest::newRow("empty path is a value") << "Safari Cache"
                                           << ""
                                           << QVariantMap{{"cleaningItemAppName", "Safari"},
                                                          {"cleaningItemName", "Safari Cache"},
                                                          {"cleaningItemPath", ""},
                                                          {"didClean", true}};
    QTest::newRow("ends at a null name") << QString() << "/Users/a/x" << QVariantMap{{"cleaningItemAppName", "Safari"}};
}

void tst_Keys::cleaningStatus()
{
    QFETCH(QString, item);
    QFETCH(QString, path);
    QFETCH(QVariantMap, expected);
    QCOMPARE(keys::cleaningStatus(u"Safari"_s, item, path, true), expected);
}

void tst_Keys::settingsTableAgreesWithTheBundledDefaults_data()
{
    QTest::addColumn<int>("key");
    for (const Settings::Entry &row : Settings::table())
        QTest::newRow(qPrintable(row.name)) << int(row.key);
}

// Start-up registers the bundled list, not the table: the two must say the same, in the
// same types, or a setting reads one default in one place and another elsewhere.
void tst_Keys::settingsTableAgreesWithTheBundledDefaults()
{
    QFETCH(int, key);
    const Settings::Entry &row = Settings::entry(Settings::Key(key));
    QCOMPARE(int(row.key), key);
    const auto list =
        platform::PropertyList::fromFile(QStringLiteral(NIMBREL_TEST_SOURCE_DIR) + u"/resources/UserDefaults.plist"_s);
    QVERIFY(list);
    const QVariantMap bundled = list->toVariant().toMap();
    QCOMPARE(bundled.contains(row.name), row.defaultValue.isValid());
    if (!row.defaultValue.isValid())
        return;
    const QVariant value = bundled.value(row.name);
    QCOMPARE(value.metaType().id(), int(row.type));
    QCOMPARE(value, row.defaultValue);
    if (row.range) {
        QVERIFY(row.range->first <= value.toLongLong());
        QVERIFY(value.toLongLong() <= row.range->second);
    }
}

QTEST_GUILESS_MAIN(tst_Keys)
#include "tst_keys.moc"
