#include "platform/system/Dictionary.h"

#include <QtTest>

#include <memory>

namespace {
struct Record
{
    int n = 0;
};
using RecordPtr = std::shared_ptr<Record>;
} // namespace

Q_DECLARE_METATYPE(RecordPtr)

using platform::dictionaryWithPairs;
using platform::isEmptyValue;

class tst_Dictionary : public QObject
{
    Q_OBJECT

private slots:
    void emptyValues_data();
    void emptyValues();
    void stopsAtFirstEmpty_data();
    void stopsAtFirstEmpty();
};

void tst_Dictionary::emptyValues_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("empty");
    QTest::newRow("invalid") << QVariant() << true;
    QTest::newRow("null string") << QVariant(QString()) << true;
    QTest::newRow("empty but not null string") << QVariant(QString("")) << false;
    QTest::newRow("text") << QVariant(QString("a")) << false;
    QTest::newRow("zero") << QVariant(0) << false;
    QTest::newRow("false") << QVariant(false) << false;
    QTest::newRow("null byte array") << QVariant(QByteArray()) << false;
    QTest::newRow("empty map") << QVariant(QVariantMap()) << false;
    QTest::newRow("null shared pointer") << QVariant::fromValue(RecordPtr()) << true;
    QTest::newRow("shared pointer") << QVariant::fromValue(std::make_shared<Record>()) << false;
    QTest::newRow("null object pointer") << QVariant::fromValue(static_cast<QObject *>(nullptr)) << true;
    QTest::newRow("object pointer") << QVariant::fromValue(static_cast<QObject *>(this)) << false;
}

void tst_Dictionary::emptyValues()
{
    QFETCH(QVariant, value);
    QFETCH(bool, empty);
    QCOMPARE(isEmptyValue(value), empty);
}

void tst_Dictionary::stopsAtFirstEmpty_data()
{
    QTest::addColumn<QVariant>("second");
    QTest::addColumn<QStringList>("keys");
    const QStringList all{"a", "b", "c"};
    const QStringList firstOnly{"a"};
    QTest::newRow("all present") << QVariant(QString("x")) << all;
    QTest::newRow("empty string is a value") << QVariant(QString("")) << all;
    QTest::newRow("null string stops") << QVariant(QString()) << firstOnly;
    QTest::newRow("invalid stops") << QVariant() << firstOnly;
    QTest::newRow("null record stops") << QVariant::fromValue(RecordPtr()) << firstOnly;
    QTest::newRow("record kept") << QVariant::fromValue(std::make_shared<Record>()) << all;
    QTest::newRow("zero kept") << QVariant(0) << all;
}

void tst_Dictionary::stopsAtFirstEmpty()
{
    QFETCH(QVariant, second);
    QFETCH(QStringList, keys);
    const QVariantMap dict = dictionaryWithPairs({{"a", 1}, {"b", second}, {"c", QString("z")}});
    QCOMPARE(dict.keys(), keys);
    QCOMPARE(dict.value("a").toInt(), 1);
    if (keys.size() == 3) {
        QCOMPARE(dict.value("b"), second);
        QCOMPARE(dict.value("c").toString(), QString("z"));
    }
    QVERIFY(dictionaryWithPairs({{"a", QVariant()}, {"b", 1}}).isEmpty());
    QVERIFY(dictionaryWithPairs({}).isEmpty());
}

QTEST_GUILESS_MAIN(tst_Dictionary)
#include "tst_dictionary.moc"
