#include "platform/plist/PlistXmlWriter.h"

#include "platform/plist/PlistDates.h"
#include "platform/plist/PlistNodes.h"

#include <QLocale>

#include <plist/plist.h>

#include <cmath>
#include <vector>

namespace platform::plistxml {

namespace {

// Markup characters as entities; control characters but tab and line feed as character
// references, since a reader turns a raw carriage return into a line feed.
void appendText(QByteArray &out, const char *text, quint64 length)
{
    for (quint64 i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == '&')
            out.append("&amp;");
        else if (c == '<')
            out.append("&lt;");
        else if (c == '>')
            out.append("&gt;");
        else if (uchar(c) < 0x20 && c != '\t' && c != '\n')
            out.append("&#" + QByteArray::number(int(uchar(c))) + ';');
        else
            out.append(c);
    }
}

QByteArray realText(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value < 0 ? "-infinity" : "+infinity";
    if (value == 0)
        return std::signbit(value) ? "-0.0" : "0.0";
    QByteArray text = QByteArray::number(value, 'g', QLocale::FloatingPointShortest);
    if (!text.contains('.') && !text.contains('e'))
        text.append(".0");
    return text;
}

class Writer
{
public:
    bool enter(const char *key, plist_t node)
    {
        if (key) {
            indent();
            m_out.append("<key>");
            appendText(m_out, key, qstrlen(key));
            m_out.append("</key>\n");
        }
        indent();
        if (PLIST_IS_DICT(node) || PLIST_IS_ARRAY(node)) {
            const char *name = PLIST_IS_DICT(node) ? "dict" : "array";
            const bool empty = PLIST_IS_DICT(node) ? plist_dict_get_size(node) == 0 : plist_array_get_size(node) == 0;
            m_out.append('<').append(name).append(empty ? "/>\n" : ">\n");
            // An empty container is closed at once; leave() still comes for it.
            m_emptyClosed.push_back(empty);
            ++m_depth;
            return true;
        }
        return leaf(node);
    }

    bool leave(plist_t node)
    {
        --m_depth;
        const bool closed = m_emptyClosed.back();
        m_emptyClosed.pop_back();
        if (!closed) {
            indent();
            m_out.append(PLIST_IS_DICT(node) ? "</dict>\n" : "</array>\n");
        }
        return true;
    }

    QByteArray take() { return std::move(m_out); }

private:
    void indent() { m_out.append(QByteArray(m_depth, '\t')); }

    void element(const char *name, const QByteArray &text)
    {
        m_out.append('<').append(name).append('>').append(text);
        m_out.append("</").append(name).append(">\n");
    }

    bool leaf(plist_t node)
    {
        switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            m_out.append(value ? "<true/>\n" : "<false/>\n");
            return true;
        }
        case PLIST_UINT: {
            uint64_t raw = 0;
            plist_get_uint_val(node, &raw);
            element("integer",
                    plistnodes::isLargeUnsigned(node) ? QByteArray::number(quint64(raw))
                                                      : QByteArray::number(qint64(raw)));
            return true;
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            element("real", realText(value));
            return true;
        }
        case PLIST_DATE: {
            const std::optional<QByteArray> text = plistdates::format(plistnodes::dateSeconds(node));
            if (text)
                element("date", *text);
            return text.has_value();
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char *bytes = plist_get_data_ptr(node, &length);
            element("data", QByteArray::fromRawData(bytes ? bytes : "", qsizetype(bytes ? length : 0)).toBase64());
            return true;
        }
        case PLIST_STRING: {
            uint64_t length = 0;
            const char *text = plist_get_string_ptr(node, &length);
            m_out.append("<string>");
            appendText(m_out, text ? text : "", text ? length : 0);
            m_out.append("</string>\n");
            return true;
        }
        case PLIST_UID: {
            uint64_t value = 0;
            plist_get_uid_val(node, &value);
            m_out.append("<dict>\n");
            ++m_depth;
            indent();
            m_out.append("<key>CF$UID</key>\n");
            indent();
            element("integer", QByteArray::number(quint64(value)));
            --m_depth;
            indent();
            m_out.append("</dict>\n");
            return true;
        }
        default:
            return false;
        }
    }

    QByteArray m_out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC "
                       "\"-//Apple//DTD PLIST 1.0//EN\" "
                       "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n";
    int m_depth = 0;
    std::vector<bool> m_emptyClosed;
};

} // namespace

std::optional<QByteArray> write(plist_t root)
{
    if (!root)
        return std::nullopt;
    Writer writer;
    const bool written = plistnodes::walkTree(
        root, [&writer](const char *key, plist_t node) { return writer.enter(key, node); },
        [&writer](plist_t node) { return writer.leave(node); });
    if (!written)
        return std::nullopt;
    QByteArray out = writer.take();
    return out.append("</plist>\n");
}

} // namespace platform::plistxml
