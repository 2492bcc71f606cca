#include "platform/PlistXmlReader.h"

#include "platform/PlistNodes.h"
#include "platform/PlistTreeBuilder.h"

#include <QBuffer>
#include <QXmlStreamReader>

#include <plist/plist.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>

namespace platform::plistxml {

namespace {

// The element's text up to its end tag; comments and processing instructions inside are
// skipped, any element inside refuses it.
std::optional<QString> elementText(QXmlStreamReader &xml)
{
    QString text;
    for (;;) {
        switch (xml.readNext()) {
        case QXmlStreamReader::Characters:
            text.append(xml.text());
            break;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            break;
        case QXmlStreamReader::EndElement:
            return text;
        default:
            return std::nullopt;
        }
    }
}

// Decimal or 0x-prefixed hexadecimal, within what 64 bits hold signed or unsigned.
plist_t integerNode(const QString &text)
{
    QByteArray digits = text.trimmed().toLatin1();
    const bool negative = digits.startsWith('-');
    if (negative || digits.startsWith('+'))
        digits.remove(0, 1);
    int base = 10;
    if (digits.startsWith("0x") || digits.startsWith("0X")) {
        digits.remove(0, 2);
        base = 16;
    }
    if (digits.isEmpty() || digits.startsWith('+') || digits.startsWith('-'))
        return nullptr;
    bool ok = false;
    const quint64 magnitude = digits.toULongLong(&ok, base);
    if (!ok)
        return nullptr;
    if (negative) {
        if (magnitude > quint64(std::numeric_limits<qint64>::max()) + 1)
            return nullptr;
        return plist_new_uint(uint64_t(0) - magnitude);
    }
    if (magnitude > quint64(std::numeric_limits<qint64>::max()))
        return plistnodes::newLargeUnsigned(magnitude);
    return plist_new_uint(magnitude);
}

plist_t realNode(const QString &text)
{
    const QString t = text.trimmed().toLower();
    const double inf = std::numeric_limits<double>::infinity();
    if (t == u"nan" || t == u"+nan" || t == u"-nan")
        return plist_new_real(std::numeric_limits<double>::quiet_NaN());
    if (t == u"inf" || t == u"+inf" || t == u"infinity" || t == u"+infinity")
        return plist_new_real(inf);
    if (t == u"-inf" || t == u"-infinity")
        return plist_new_real(-inf);
    bool ok = false;
    const double d = t.toLatin1().toDouble(&ok);
    return ok ? plist_new_real(d) : nullptr;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// YYYY-MM-DDTHH:MM:SSZ, the form property lists write (a year may be longer or negative).
plist_t dateNode(const QString &text)
{
    const QByteArray t = text.trimmed().toLatin1();
    const qsizetype dash = t.indexOf('-', 1);
    if (dash < 4 || t.size() != dash + 16)
        return nullptr;
    const QByteArray rest = t.mid(dash);
    if (rest[0] != '-' || rest[3] != '-' || rest[6] != 'T' || rest[9] != ':' || rest[12] != ':'
        || rest[15] != 'Z')
        return nullptr;
    auto field = [&rest](int at, int lo, int hi, int *out) {
        const QByteArray two = rest.mid(at, 2);
        bool ok = std::isdigit(uchar(two[0])) && std::isdigit(uchar(two[1]));
        *out = two.toInt();
        return ok && *out >= lo && *out <= hi;
    };
    bool ok = false;
    const qint64 year = t.left(dash).toLongLong(&ok);
    int month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ok || t.left(dash).startsWith('+') || std::abs(year) > 1000000 || !field(1, 1, 12, &month)
        || !field(4, 1, 31, &day) || !field(7, 0, 23, &hour) || !field(10, 0, 59, &minute)
        || !field(13, 0, 59, &second))
        return nullptr;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > monthDays[month - 1] + (month == 2 && leap))
        return nullptr;
    const qint64 seconds = (daysFromCivil(year, month, day) - daysFromCivil(2001, 1, 1)) * 86400
                           + hour * 3600 + minute * 60 + second;
    return plistnodes::newDate(double(seconds));
}

bool dataNode(PlistTreeBuilder &tree, const QString &text)
{
    QByteArray base64 = text.toLatin1();
    base64.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    const auto decoded =
        QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    return decoded && tree.data(decoded.decoded.constData(), quint64(decoded.decoded.size()));
}

// <true/> and <false/> hold nothing but white space.
bool emptyElement(QXmlStreamReader &xml)
{
    const auto text = elementText(xml);
    return text && text->trimmed().isEmpty();
}

bool element(QXmlStreamReader &xml, PlistTreeBuilder &tree)
{
    const QStringView name = xml.name();
    if (name == u"dict")
        return tree.openDictionary();
    if (name == u"array")
        return tree.openArray();
    if (name == u"true" || name == u"false") {
        const bool value = name == u"true";
        return emptyElement(xml) && tree.leaf(plist_new_bool(value ? 1 : 0));
    }
    const bool known = name == u"key" || name == u"string" || name == u"integer" || name == u"real"
                       || name == u"date" || name == u"data";
    if (!known)
        return false;
    const QString kind = name.toString();
    const auto text = elementText(xml);
    if (!text)
        return false;
    if (kind == u"key")
        return tree.key(text->toUtf8());
    if (kind == u"string")
        return tree.string(text->toUtf8());
    if (kind == u"integer")
        return tree.leaf(integerNode(*text));
    if (kind == u"real")
        return tree.leaf(realNode(*text));
    if (kind == u"date")
        return tree.leaf(dateNode(*text));
    return dataNode(tree, *text);
}

} // namespace

plist_t read(const QByteArray &text)
{
    // Read through a device, so the reader decodes the text a block at a time rather than
    // holding all of it again as UTF-16.
    QBuffer device;
    device.setData(text);
    if (!device.open(QIODevice::ReadOnly))
        return nullptr;
    QXmlStreamReader xml(&device);
    PlistTreeBuilder tree(PlistTreeBuilder::Uids::FromDictionaries);
    bool inPlist = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartDocument:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
        case QXmlStreamReader::DTD:
            break;
        case QXmlStreamReader::Characters:
            if (!xml.isWhitespace())
                return nullptr;
            break;
        case QXmlStreamReader::StartElement:
            // <plist> wraps the one value; a bare value is read as the list too.
            if (xml.name() == u"plist") {
                if (inPlist || tree.depth() > 0 || tree.hasRoot())
                    return nullptr;
                inPlist = true;
            } else if (!element(xml, tree)) {
                return nullptr;
            }
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == u"plist")
                inPlist = false;
            else if (!tree.close())
                return nullptr;
            break;
        default:
            return nullptr; // entity references left unresolved, errors
        }
    }
    if (xml.hasError())
        return nullptr;
    return tree.take();
}

} // namespace platform::plistxml
