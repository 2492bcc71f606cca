#include "platform/plist/PlistXmlReader.h"

#include "platform/plist/PlistDates.h"
#include "platform/plist/PlistTreeBuilder.h"

#include <QBuffer>
#include <QXmlStreamReader>

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
bool integer(PlistTreeBuilder &tree, const QString &text)
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
        return false;
    bool ok = false;
    const quint64 magnitude = digits.toULongLong(&ok, base);
    if (!ok)
        return false;
    const quint64 signedMax = quint64(std::numeric_limits<qint64>::max());
    if (negative)
        return magnitude <= signedMax + 1 && tree.integer(quint64(0) - magnitude, false);
    return tree.integer(magnitude, magnitude > signedMax);
}

bool real(PlistTreeBuilder &tree, const QString &text)
{
    const QString t = text.trimmed().toLower();
    const double inf = std::numeric_limits<double>::infinity();
    if (t == u"nan" || t == u"+nan" || t == u"-nan")
        return tree.real(std::numeric_limits<double>::quiet_NaN());
    if (t == u"inf" || t == u"+inf" || t == u"infinity" || t == u"+infinity")
        return tree.real(inf);
    if (t == u"-inf" || t == u"-infinity")
        return tree.real(-inf);
    bool ok = false;
    const double d = t.toLatin1().toDouble(&ok);
    return ok && tree.real(d);
}

bool date(PlistTreeBuilder &tree, const QString &text)
{
    const std::optional<double> seconds = plistdates::parse(text.toLatin1());
    return seconds && tree.date(*seconds);
}

bool dataNode(PlistTreeBuilder &tree, const QString &text)
{
    QByteArray base64 = text.toLatin1();
    base64.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; });
    const auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
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
        return emptyElement(xml) && tree.boolean(value);
    }
    const bool known = name == u"key" || name == u"string" || name == u"integer" || name == u"real" || name == u"date"
        || name == u"data";
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
        return integer(tree, *text);
    if (kind == u"real")
        return real(tree, *text);
    if (kind == u"date")
        return date(tree, *text);
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
            break;
        case QXmlStreamReader::DTD:
            // No writer of property lists declares anything in the document type: the one
            // use of a declaration here is an entity, which expands a few bytes of file into
            // gigabytes of text or stands for a file that is never read. Such a list is
            // refused before any of its text is read, so it is never rewritten either.
            if (!xml.entityDeclarations().isEmpty() || xml.text().contains(u'['))
                return nullptr;
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
