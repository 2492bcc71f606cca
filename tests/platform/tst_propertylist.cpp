#include "platform/plist/PropertyList.h"

#include "platform/files/FileManager.h"
#include "platform/plist/PlistLimits.h"
#include "support/HostileLists.h"

#include <QDateTime>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

#include <plist/plist.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <sys/stat.h>

using platform::PlistUid;
using platform::PropertyList;

namespace {

QDateTime utc(qint64 msecs)
{
    return QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
}

// A tree with one of every node kind; used for the remove-one-key checks.
QVariantMap richTree()
{
    QVariantMap nested{{"inner", QVariantList{qint64(1), 2.5, QString("x")}}, {"flag", false}};
    return QVariantMap{
        {"string", QString("Grüße ✓")},
        {"empty", QString("")},
        {"negative", qint64(-42)},
        {"big", quint64(std::numeric_limits<quint64>::max())},
        {"min", std::numeric_limits<qint64>::min()},
        {"realOne", 1.0},
        {"real", 0.1},
        {"yes", true},
        {"date", utc(Q_INT64_C(1500000000000))},
        {"data", QByteArray("\x00\x01\xff", 3)},
        {"uid", QVariant::fromValue(PlistUid{9})},
        {"nested", nested},
        {"list", QVariantList{QVariantMap{{"a", qint64(1)}}, QVariantList{}}},
    };
}

void appendBigEndian(QByteArray &out, quint64 value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

// A binary list built by hand from its objects: each is a marker byte, a count nibble and
// then its references (counts above 14 are not needed here), as narrow as they fit.
QByteArray binaryList(const QList<QList<quint32>> &arrays, const QByteArray &leaf)
{
    QByteArray out("bplist00");
    QList<quint64> offsets;
    const int refSize = arrays.size() < 255 ? 1 : 4;
    for (const QList<quint32> &refs : arrays) {
        offsets.append(quint64(out.size()));
        out.append(char(0xA0 | refs.size()));
        for (quint32 ref : refs)
            appendBigEndian(out, ref, refSize);
    }
    offsets.append(quint64(out.size()));
    out.append(leaf);
    const quint64 table = quint64(out.size());
    const int offsetSize = table < 256 ? 1 : 4;
    for (quint64 offset : offsets)
        appendBigEndian(out, offset, offsetSize);
    out.append(QByteArray(6, '\0'));
    out.append(char(offsetSize));
    out.append(char(refSize));
    appendBigEndian(out, quint64(offsets.size()), 8);
    appendBigEndian(out, 0, 8); // top object
    appendBigEndian(out, table, 8);
    return out;
}

// Arrays nested `depth` deep, each holding the next, the innermost holding `true`.
QByteArray deepBinary(int depth)
{
    QList<QList<quint32>> arrays;
    for (int i = 0; i < depth; ++i)
        arrays.append(QList<quint32>{quint32(i + 1)});
    return binaryList(arrays, QByteArray(1, '\x09'));
}

QByteArray deepXml(int depth)
{
    QByteArray out("<?xml version=\"1.0\"?><plist version=\"1.0\">");
    for (int i = 0; i < depth; ++i)
        out.append(i % 2 ? "<array>" : "<dict><key>k</key>");
    out.append("<true/>");
    for (int i = depth - 1; i >= 0; --i)
        out.append(i % 2 ? "</array>" : "</dict>");
    return out.append("</plist>");
}

// deepXml with `wrapped` put right after the <plist> tag: each way of hiding closing tags
// from a reader that does not know the markup.
QByteArray deepXmlAfter(const QByteArray &wrapped, int depth)
{
    QByteArray out = deepXml(depth);
    return out.insert(out.indexOf("<plist version=\"1.0\">") + 21, wrapped);
}

// A binary list as the system writes it: objects in order with one-byte references, the first
// the top one. Each object is its marker and contents.
QByteArray binaryObjects(const QList<QByteArray> &objects)
{
    QByteArray out("bplist00");
    QList<quint64> offsets;
    for (const QByteArray &object : objects) {
        offsets.append(quint64(out.size()));
        out.append(object);
    }
    const quint64 table = quint64(out.size());
    const int offsetSize = table < 256 ? 1 : 2;
    for (quint64 offset : offsets)
        appendBigEndian(out, offset, offsetSize);
    out.append(QByteArray(6, '\0'));
    out.append(char(offsetSize));
    out.append(char(1));
    appendBigEndian(out, quint64(objects.size()), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

// {"drop": true, "keep": <object>} in binary: the object's bytes must survive the removal.
QByteArray binaryKeeping(const QByteArray &object)
{
    return binaryObjects({QByteArray("\xD2\x01\x02\x03\x04", 5),
                          QByteArray("\x54"
                                     "drop"),
                          QByteArray("\x54"
                                     "keep"),
                          QByteArray(1, '\x09'), object});
}

QByteArray xmlKeeping(const QByteArray &element)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
           "PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist "
           "version=\"1.0\">\n<dict>\n\t<key>drop</key>\n\t<true/>\n\t<key>keep</key>\n\t"
        + element + "\n</dict>\n</plist>\n";
}

QByteArray bigEndianDouble(double d)
{
    quint64 bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    QByteArray out;
    appendBigEndian(out, bits, 8);
    return out;
}

QByteArray utf16Object(const QList<quint16> &units)
{
    QByteArray out(1, char(0x60 | units.size()));
    for (quint16 u : units)
        appendBigEndian(out, u, 2);
    return out;
}

QByteArray serialized(const PropertyList &list, PropertyList::Format format)
{
    return list.toData(format).value_or(QByteArray());
}

} // namespace

class tst_PropertyList : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void uidSurvivesXml();
    void parseRemembersFormat();
    void systemListsKeepEveryValue_data();
    void systemListsKeepEveryValue();
    void removeOneKeyKeepsTheRest_data();
    void removeOneKeyKeepsTheRest();
    void malformedGivesNothing_data();
    void malformedGivesNothing();
    void fromFile();
    void hostileShapes_data();
    void hostileShapes();
    void readerRefusesWhatIsNotAFile_data();
    void readerRefusesWhatIsNotAFile();
    void keyPaths();
    void copiesAreIndependent();
};

void tst_PropertyList::roundTrip_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("expectedType");

    struct Case
    {
        const char *name;
        QVariant value;
        int type;
    };
    const QList<Case> cases{
        {"string", QString("hello"), QMetaType::QString},
        {"unicode string", QString("Ünïcødé ✓ 日本"), QMetaType::QString},
        {"empty string", QString(""), QMetaType::QString},
        {"zero", qint64(0), QMetaType::LongLong},
        {"negative", qint64(-1), QMetaType::LongLong},
        {"int64 min", std::numeric_limits<qint64>::min(), QMetaType::LongLong},
        {"int64 max", std::numeric_limits<qint64>::max(), QMetaType::LongLong},
        {"large unsigned", quint64(std::numeric_limits<quint64>::max()), QMetaType::ULongLong},
        {"just above int64", quint64(1) << 63, QMetaType::ULongLong},
        {"real one stays real", 1.0, QMetaType::Double},
        {"real fraction", 0.1, QMetaType::Double},
        {"negative real", -12345.678, QMetaType::Double},
        {"true", true, QMetaType::Bool},
        {"false", false, QMetaType::Bool},
        {"date", utc(Q_INT64_C(1262304000000)), QMetaType::QDateTime},
        {"date before 2001", utc(Q_INT64_C(631152000000)), QMetaType::QDateTime},
        {"date before 1933", utc(Q_INT64_C(-2208988800000)), QMetaType::QDateTime},
        {"date before year 0", QDateTime(QDate(-2, 6, 15), QTime(12, 0), Qt::UTC), QMetaType::QDateTime},
        {"data", QByteArray("\x00\x01\x02\xfe", 4), QMetaType::QByteArray},
        {"empty data", QByteArray(""), QMetaType::QByteArray},
        {"uid", QVariant::fromValue(PlistUid{12}), QMetaType::fromType<PlistUid>().id()},
        {"empty dict", QVariantMap{}, QMetaType::QVariantMap},
        {"empty array", QVariantList{}, QMetaType::QVariantList},
        {"rich tree", richTree(), QMetaType::QVariantMap},
    };
    for (const Case &c : cases) {
        QTest::addRow("binary %s", c.name) << c.value << int(PropertyList::Format::Binary) << c.type;
        QTest::addRow("xml %s", c.name) << c.value << int(PropertyList::Format::Xml) << c.type;
    }
    // Sub-second dates only exist in the binary form.
    QTest::addRow("binary date with milliseconds")
        << QVariant(utc(Q_INT64_C(1262304000123))) << int(PropertyList::Format::Binary) << int(QMetaType::QDateTime);
}

void tst_PropertyList::roundTrip()
{
    QFETCH(QVariant, value);
    QFETCH(int, format);
    QFETCH(int, expectedType);

    // Wrap in a dictionary as files do, and also try the value as the root.
    const QVariantMap wrapped{{"k", value}};
    const auto fmt = PropertyList::Format(format);
    const PropertyList original = PropertyList::fromVariant(wrapped, fmt);
    const auto bytes = original.toData();
    QVERIFY(bytes.has_value());
    const auto parsed = PropertyList::fromData(*bytes);
    QVERIFY(parsed.has_value());
    QCOMPARE(int(parsed->format()), format);

    const QVariant back = parsed->value("k");
    QCOMPARE(back.metaType().id(), expectedType);
    QCOMPARE(back, value);
    QCOMPARE(parsed->toVariant(), QVariant(wrapped));

    // Serialising the parsed tree again gives the same bytes.
    QCOMPARE(parsed->toData().value(), *bytes);

    // And across formats.
    const auto other = fmt == PropertyList::Format::Binary ? PropertyList::Format::Xml : PropertyList::Format::Binary;
    const auto converted = PropertyList::fromData(parsed->toData(other).value());
    QVERIFY(converted.has_value());
    if (expectedType == QMetaType::QDateTime || expectedType == QMetaType::QVariantMap)
        return; // XML keeps whole seconds only; the rich tree's date is whole already
    QCOMPARE(converted->value("k"), value);
}

void tst_PropertyList::uidSurvivesXml()
{
    const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                           "<plist version=\"1.0\"><dict><key>$top</key><dict><key>root</key>"
                           "<dict><key>CF$UID</key><integer>3</integer></dict></dict>"
                           "<key>$objects</key><array><dict><key>CF$UID</key><integer>4</integer>"
                           "</dict><string>$null</string></array></dict></plist>";
    const auto list = PropertyList::fromData(xml);
    QVERIFY(list.has_value());
    const auto root = list->valueForKeyPath({"$top", "root"});
    QCOMPARE(root.metaType(), QMetaType::fromType<PlistUid>());
    QCOMPARE(root.value<PlistUid>().value, quint64(3));
    const QVariantList objects = list->value("$objects").toList();
    QCOMPARE(objects.size(), 2);
    QCOMPARE(objects.at(0).value<PlistUid>().value, quint64(4));
    QCOMPARE(objects.at(1).toString(), QString("$null"));
}

void tst_PropertyList::parseRemembersFormat()
{
    const PropertyList list = PropertyList::fromVariant(QVariantMap{{"a", 1}});
    QCOMPARE(list.format(), PropertyList::Format::Binary);
    const QByteArray bin = list.toData().value();
    QVERIFY(bin.startsWith("bplist00"));
    const QByteArray xml = list.toData(PropertyList::Format::Xml).value();
    QVERIFY(xml.contains("<plist"));

    auto fromXml = PropertyList::fromData(xml);
    QVERIFY(fromXml);
    QCOMPARE(fromXml->format(), PropertyList::Format::Xml);
    QVERIFY(fromXml->toData()->contains("<plist"));
    fromXml->setFormat(PropertyList::Format::Binary);
    QVERIFY(fromXml->toData()->startsWith("bplist00"));

    // A byte-order mark before the XML is accepted.
    QVERIFY(PropertyList::fromData("\xEF\xBB\xBF" + xml).has_value());
}

void tst_PropertyList::systemListsKeepEveryValue_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<QByteArray>("kept"); // as it must appear in the rewritten list
    const QByteArray distantPast = "\x33" + bigEndianDouble(-63114076800.0);
    const QByteArray fractional = "\x33" + bigEndianDouble(786543210.98765432);
    const QByteArray early = "\x33" + bigEndianDouble(-31622400.5);
    const QByteArray negativeZero = "\x23" + bigEndianDouble(-0.0);
    const QByteArray tiny = "\x23" + bigEndianDouble(4.9e-324);
    const QByteArray eightBytes("\x13\x00\x00\x01\x00\x00\x00\x00\x00", 9);
    const QByteArray negative("\x13\xff\xff\xff\xff\xff\xff\xff\xfe", 9);
    const QByteArray unsignedMax = QByteArray("\x14", 1) + QByteArray(8, '\0') + QByteArray(8, '\xff');
    const QByteArray uid("\x81\x01\x02", 3);
    const QByteArray data("\x44\x00\xff\x10\x80", 5);
    const QByteArray nonBmp = utf16Object({0xD83D, 0xDE00, 0x0041});
    const QByteArray loneHigh = utf16Object({0x0041, 0xD800, 0x0042});
    const QByteArray loneLow = utf16Object({0xDC00});
    const QByteArray reversedPair = utf16Object({0xDE00, 0xD83D});
    // libplist writes a real that a float holds exactly in four bytes: the same value.
    QTest::newRow("binary -0.0") << binaryKeeping(negativeZero) << QByteArray("\x22\x80\x00\x00\x00", 5);
    for (const QByteArray &object : {distantPast, fractional, early, tiny, eightBytes, negative, unsignedMax, uid, data,
                                     nonBmp, loneHigh, loneLow, reversedPair})
        QTest::addRow("binary %s", object.toHex().constData()) << binaryKeeping(object) << object;
    // Array members and dictionary values alike, a string used twice counted twice.
    const QByteArray inArray =
        binaryObjects({QByteArray("\xD2\x01\x02\x03\x04", 5),
                       QByteArray("\x54"
                                  "drop"),
                       QByteArray("\x54"
                                  "keep"),
                       QByteArray(1, '\x09'), QByteArray("\xA3\x05\x06\x05", 4), loneLow, negativeZero});
    QTest::newRow("binary array sharing a lone surrogate") << inArray << loneLow;

    for (const char *element :
         {"<date>0000-12-30T00:00:00Z</date>", "<date>0999-01-01T00:00:00Z</date>", "<date>2024-02-29T23:59:59Z</date>",
          "<date>-0001-06-15T12:00:00Z</date>", "<date>-4713-11-24T12:00:00Z</date>", "<real>-0.0</real>",
          "<real>-2.5</real>", "<integer>-9223372036854775808</integer>", "<integer>18446744073709551615</integer>",
          "<integer>4294967296</integer>", "<string>\xf0\x9f\x98\x80 \xc3\xa9</string>", "<string>a&#13;b</string>",
          "<string>&#13;\n&#13;</string>"})
        QTest::addRow("xml %s", element) << xmlKeeping(element) << QByteArray(element);
    const QByteArray uidXml("<dict>\n\t\t<key>CF$UID</key>\n\t\t<integer>258</integer>\n\t</dict>");
    QTest::newRow("xml uid") << xmlKeeping(uidXml) << uidXml;
    // Text in UTF-16 or UTF-32 behind a byte-order mark, as the system's reader takes it; the
    // rewrite is UTF-8.
    const QByteArray accented("<string>caf\xc3\xa9 \xf0\x9f\x98\x80</string>");
    for (const auto &[name, encoding] :
         {std::pair{"utf-16le", QStringConverter::Utf16LE}, std::pair{"utf-16be", QStringConverter::Utf16BE},
          std::pair{"utf-32le", QStringConverter::Utf32LE}, std::pair{"utf-32be", QStringConverter::Utf32BE}}) {
        QByteArray text = xmlKeeping(accented);
        text.replace("encoding=\"UTF-8\"", "encoding=\"" + QByteArray(name).toUpper() + "\"");
        QStringEncoder encoder(encoding, QStringEncoder::Flag::WriteBom);
        QTest::addRow("xml %s with a byte-order mark", name)
            << QByteArray(encoder.encode(QString::fromUtf8(text))) << accented;
    }
}

void tst_PropertyList::systemListsKeepEveryValue()
{
    QFETCH(QByteArray, list);
    QFETCH(QByteArray, kept);
    auto parsed = PropertyList::fromData(list);
    QVERIFY(parsed);
    QVERIFY(parsed->removeKey("drop"));
    const QByteArray rewritten = parsed->toData().value_or(QByteArray());
    QVERIFY2(rewritten.contains(kept), rewritten.toHex().constData());
    QVERIFY(!rewritten.contains("drop"));
    // What the rewrite checks before any swap: the new list reads back as the edited one.
    const auto readBack = PropertyList::fromData(rewritten);
    QVERIFY(readBack);
    QVERIFY(readBack->isIdenticalTo(*parsed));
}

void tst_PropertyList::removeOneKeyKeepsTheRest_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("key");
    for (const QString &key : richTree().keys()) {
        QTest::addRow("binary %s", qPrintable(key)) << int(PropertyList::Format::Binary) << key;
        QTest::addRow("xml %s", qPrintable(key)) << int(PropertyList::Format::Xml) << key;
    }
}

void tst_PropertyList::removeOneKeyKeepsTheRest()
{
    QFETCH(int, format);
    QFETCH(QString, key);
    const auto fmt = PropertyList::Format(format);

    QVariantMap tree = richTree();
    const QByteArray file = PropertyList::fromVariant(tree, fmt).toData().value();
    auto parsed = PropertyList::fromData(file);
    QVERIFY(parsed);
    QVERIFY(parsed->removeKey(key));
    QVERIFY(!parsed->contains(key));
    QVERIFY(!parsed->removeKey(key));

    tree.remove(key);
    const PropertyList expected = PropertyList::fromVariant(tree, fmt);
    // The serialised trees match byte for byte; comparing in XML shows any change readably.
    QCOMPARE(QString::fromUtf8(serialized(*parsed, PropertyList::Format::Xml)),
             QString::fromUtf8(serialized(expected, PropertyList::Format::Xml)));
    QCOMPARE(serialized(*parsed, fmt), serialized(expected, fmt));
}

void tst_PropertyList::malformedGivesNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray bin = PropertyList::fromVariant(richTree()).toData().value();
    const QByteArray xml = PropertyList::fromVariant(richTree()).toData(PropertyList::Format::Xml).value();
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("this is not a property list");
    QTest::newRow("binary magic only") << QByteArray("bplist00");
    QTest::newRow("truncated binary") << bin.left(bin.size() / 2);
    QTest::newRow("binary without trailer") << bin.left(bin.size() - 32);
    QTest::newRow("binary missing last byte") << bin.left(bin.size() - 1);
    QTest::newRow("truncated xml") << xml.left(xml.size() / 2);
    QTest::newRow("unclosed dict") << QByteArray("<plist><dict><key>a</key>");
    QTest::newRow("random bytes") << QByteArray("\x01\x02\x03\xff\xfe\x00\x10", 7);
    QByteArray corrupt = bin;
    // Point the offset table far outside the data.
    for (int i = corrupt.size() - 8; i < corrupt.size(); ++i)
        corrupt[i] = '\xff';
    QTest::newRow("binary with bad offset table") << corrupt;
    // A NUL inside a key or string would make the library abort; such lists are refused.
    QByteArray nulKey = PropertyList::fromVariant(QVariantMap{{"aXb", true}}).toData().value();
    nulKey.replace("aXb", QByteArray("a\0b", 3));
    QTest::newRow("key holding a NUL") << nulKey;
    QByteArray nulText = PropertyList::fromVariant(QVariantMap{{"k", QString("Ünï") + "ZZ"}}).toData().value();
    const QByteArray utf16z = QByteArray("\0Z", 2);
    QVERIFY(nulText.contains(utf16z + utf16z));
    nulText.replace(utf16z + utf16z, QByteArray(4, '\0'));
    QTest::newRow("utf-16 string holding a NUL") << nulText;
    // Values the tree cannot hold exactly are not read at all, so they are never rewritten.
    QTest::newRow("integer beyond 64 bits") << QByteArray("<plist><integer>18446744073709551616</integer></plist>");
    QTest::newRow("integer below 64 bits") << QByteArray("<plist><integer>-9223372036854775809</integer></plist>");
    QTest::newRow("a date that does not exist") << QByteArray("<plist><date>2023-02-29T00:00:00Z</date></plist>");
    // Which of the two values a reader keeps is its own choice: no rewrite could be sure.
    QTest::newRow("dictionary holding a key twice")
        << QByteArray("<plist><dict><key>a</key><true/><key>a</key><false/></dict></plist>");
}

void tst_PropertyList::malformedGivesNothing()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!PropertyList::fromData(bytes).has_value());
}

void tst_PropertyList::fromFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!PropertyList::fromFile(dir.filePath("missing.plist")));
    QVERIFY(!PropertyList::fromFile(QString()));
    QVERIFY(!PropertyList::fromFile(dir.path())); // a folder is not a list

    const QString path = dir.filePath("Prefs ü.plist");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(PropertyList::fromVariant(QVariantMap{{"Name", QString("v")}}).toData().value());
    f.close();
    const auto list = PropertyList::fromFile(path);
    QVERIFY(list);
    QCOMPARE(list->value("Name").toString(), QString("v"));

    // A name that is not UTF-8 is reached through the byte-path encoding.
    const QByteArray rawPath = QFile::encodeName(dir.path()) + "/odd\xff\xfe.plist";
    const QByteArray bytes = PropertyList::fromVariant(QVariantMap{{"Odd", true}}).toData().value();
    FILE *raw = std::fopen(rawPath.constData(), "wb");
    QVERIFY(raw);
    QCOMPARE(std::fwrite(bytes.constData(), 1, size_t(bytes.size()), raw), size_t(bytes.size()));
    std::fclose(raw);
    const auto odd = PropertyList::fromFile(platform::decodePath(rawPath));
    QVERIFY(odd);
    QCOMPARE(odd->value("Odd"), QVariant(true));
}

void tst_PropertyList::hostileShapes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    const int limit = platform::plistlimits::maxDepth;
    // Levels counted as containers: the outermost is level one.
    QTest::newRow("binary at the depth limit") << deepBinary(limit) << true;
    QTest::newRow("binary one past the limit") << deepBinary(limit + 1) << false;
    QTest::newRow("binary 87000 deep") << deepBinary(87000) << false;
    QTest::newRow("xml at the depth limit") << deepXml(limit) << true;
    QTest::newRow("xml one past the limit") << deepXml(limit + 1) << false;
    QTest::newRow("xml 29000 deep") << deepXml(29000) << false;
    QByteArray spaced = deepXml(limit + 1);
    spaced.replace("<array>", "<array >");
    QTest::newRow("xml past the limit, spaced tags") << spaced << false;
    QByteArray flat("<plist><array>");
    for (int i = 0; i < 2 * limit; ++i)
        flat.append("<dict/><array/><string>dictionary</string>");
    QTest::newRow("xml with many empty containers") << flat.append("</array></plist>") << true;

    // Closing tags the reader never sees as tags must not make room for more levels.
    QByteArray closers;
    for (int i = 0; i < 30000; ++i)
        closers.append("</array>");
    QTest::newRow("xml deep behind a comment") << deepXmlAfter("<!--" + closers + "-->", 30000) << false;
    QTest::newRow("xml deep behind a processing instruction")
        << deepXmlAfter("<?hide " + closers + "?>", 30000) << false;
    QTest::newRow("xml deep behind a document type")
        << deepXmlAfter("<!DOCTYPE plist [" + closers + "]>", 30000) << false;
    QTest::newRow("xml deep behind CDATA")
        << deepXmlAfter("<array><string><![CDATA[" + closers + "]]></string></array>", 30000) << false;
    QTest::newRow("xml deep behind a quoted attribute")
        << deepXmlAfter("<array hide=\"" + closers + "\"/>", 30000) << false;
    QByteArray openers;
    for (int i = 0; i < 2 * limit; ++i)
        openers.append("<array>");
    QTest::newRow("xml with opening tags in a comment") << deepXmlAfter("<!--" + openers + "-->", 3) << true;
    QByteArray wide("<plist><array>");
    wide.reserve(qsizetype(platform::plistlimits::maxNodes) * 7 + 64);
    for (quint64 i = 0; i < platform::plistlimits::maxNodes; ++i)
        wide.append("<true/>");
    QTest::newRow("xml one node past the budget") << wide.append("</array></plist>") << false;

    // Every array holds the next one twice: 24 levels share their way to 2^24 leaves.
    QList<QList<quint32>> doubling;
    for (quint32 i = 0; i < 24; ++i)
        doubling.append(QList<quint32>{i + 1, i + 1});
    const QByteArray bomb = binaryList(doubling, QByteArray(1, '\x09'));
    QVERIFY(bomb.size() < 140);
    QTest::newRow("shared references to 2^24 nodes") << bomb << false;
    QList<QList<quint32>> sharedFew = doubling.mid(0, 10);
    sharedFew.last() = QList<quint32>{10, 10};
    QTest::newRow("shared references within budget") << binaryList(sharedFew, QByteArray(1, '\x09')) << true;
    QTest::newRow("array holding itself") << binaryList({QList<quint32>{0}}, QByteArray(1, '\x09')) << false;

    // A quote in the text of <true> or <false> is only text.
    QTest::newRow("quote in true before 300000 levels") << hostilelists::quoteBeforeDeepNesting("true") << false;
    QTest::newRow("quote in false before 300000 levels") << hostilelists::quoteBeforeDeepNesting("false") << false;
    QTest::newRow("unclosed quote in true before 300000 levels")
        << hostilelists::quoteBeforeDeepNesting("true", false) << false;
    // Each reference to a string or data object counts its bytes again.
    QTest::newRow("one megabyte referred to 65 times") << hostilelists::sharedData(1 << 20, 65) << false;
    QTest::newRow("one megabyte referred to 60 times") << hostilelists::sharedData(1 << 20, 60) << true;
}

void tst_PropertyList::hostileShapes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    const auto list = PropertyList::fromData(bytes);
    QCOMPARE(list.has_value(), accepted);
    if (accepted)
        QVERIFY(list->toVariant().isValid()); // our own walks go as deep as the reader allows
}

void tst_PropertyList::readerRefusesWhatIsNotAFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("failure");
    using platform::ReadFailure;
    QTest::newRow("fifo") << "fifo" << int(ReadFailure::NotRegular);
    QTest::newRow("link to /dev/zero") << "zero" << int(ReadFailure::NotRegular);
    QTest::newRow("beyond the size cap") << "large" << int(ReadFailure::TooLarge);
    QTest::newRow("malformed") << "garbage" << int(ReadFailure::Malformed);
    QTest::newRow("missing") << "missing" << int(ReadFailure::Missing);
}

void tst_PropertyList::readerRefusesWhatIsNotAFile()
{
    QFETCH(QString, kind);
    QFETCH(int, failure);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("list.plist");
    const QByteArray p = QFile::encodeName(path);
    if (kind == "fifo") {
        QCOMPARE(mkfifo(p.constData(), 0600), 0); // no writer: a blocking open would hang
    } else if (kind == "zero") {
        QVERIFY(QFile::link("/dev/zero", path));
    } else if (kind == "large") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write("bplist00") == 8);
        QVERIFY(f.resize(platform::plistlimits::maxFileBytes + 1)); // sparse: costs no disk
    } else if (kind == "garbage") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.write(deepXml(29000)) > 0);
    }
    platform::ReadFailure why = platform::ReadFailure::None;
    QVERIFY(!PropertyList::fromFile(path, &why));
    QCOMPARE(int(why), failure);
}

void tst_PropertyList::keyPaths()
{
    PropertyList list = PropertyList::fromVariant(
        QVariantMap{{"a", QVariantMap{{"b", QVariantMap{{"c", qint64(5)}}}, {"s", QString("t")}}}});
    QCOMPARE(list.valueForKeyPath({"a", "b", "c"}).toLongLong(), qint64(5));
    QVERIFY(!list.valueForKeyPath({"a", "s", "c"}).isValid()); // walks into a string
    QVERIFY(!list.valueForKeyPath({"x", "y"}).isValid());
    QVERIFY(!list.valueForKeyPath({}).isValid());

    QVERIFY(list.setValueForKeyPath({"a", "b", "d"}, QString("new")));
    QCOMPARE(list.valueForKeyPath({"a", "b", "d"}).toString(), QString("new"));
    QCOMPARE(list.valueForKeyPath({"a", "b", "c"}).toLongLong(), qint64(5));
    QVERIFY(list.setValueForKeyPath({"m", "n"}, true)); // creates the missing level
    QCOMPARE(list.valueForKeyPath({"m", "n"}), QVariant(true));
    QVERIFY(!list.setValueForKeyPath({"a", "s", "x"}, 1)); // a string is in the way
    QCOMPARE(list.valueForKeyPath({"a", "s"}).toString(), QString("t"));

    QVERIFY(list.removeKeyPath({"a", "b", "c"}));
    QVERIFY(!list.removeKeyPath({"a", "b", "c"}));
    QVERIFY(!list.removeKeyPath({"a", "s", "x"}));
    QCOMPARE(list.valueForKeyPath({"a", "b"}).toMap().keys(), QStringList{"d"});

    list.setValue("top", 2.5);
    QCOMPARE(list.value("top"), QVariant(2.5));
    list.setValue("top", QVariant()); // an empty value removes the key
    QVERIFY(!list.contains("top"));
    QCOMPARE(list.keys().size(), 2);
    QCOMPARE(list.count(), 2);

    PropertyList array = PropertyList::fromVariant(QVariantList{1, 2, 3});
    QVERIFY(array.isArray());
    QVERIFY(!array.isDictionary());
    QCOMPARE(array.count(), 3);
    QVERIFY(!array.contains("a"));
    QVERIFY(!array.setValueForKeyPath({"a"}, 1));
    QVERIFY(array.keys().isEmpty());
}

void tst_PropertyList::copiesAreIndependent()
{
    PropertyList a = PropertyList::fromVariant(QVariantMap{{"k", 1}});
    PropertyList b = a;
    b.setValue("k", 2);
    QCOMPARE(a.value("k").toInt(), 1);
    QCOMPARE(b.value("k").toInt(), 2);
    PropertyList c = std::move(b);
    QCOMPARE(c.value("k").toInt(), 2);
    a = c;
    QCOMPARE(a.value("k").toInt(), 2);
    QVERIFY(a.node() != c.node());
}

QTEST_GUILESS_MAIN(tst_PropertyList)
#include "tst_propertylist.moc"
