#pragma once

#include <QByteArray>
#include <QList>

// Property lists crafted against the readers, shared by the suites that feed them to the
// settings at start-up, the scan and the rewrite.
namespace hostilelists {

// A quote inside <true> or <false> (closed or not) followed by 300,000 nested arrays: a
// scanner that takes the quote for an attribute's misses the nesting a reader would build.
inline QByteArray quoteBeforeDeepNesting(const QByteArray &element, bool closed = true)
{
    const QByteArray quoted = "<" + element + ">\"" + (closed ? "</" + element + ">" : QByteArray());
    QByteArray out = "<plist><dict><key>a</key>" + quoted + "<key>b</key>";
    out.reserve(300000 * 7 + 128);
    for (int i = 0; i < 300000; ++i)
        out.append("<array>");
    return out + "<key>c</key>" + quoted + "</dict></plist>";
}

// An XML list whose document type declares `declaration` (an internal entity of `length`
// characters unless given) and whose "Recent" string uses the entity `uses` times.
inline QByteArray entityList(int length, int uses, const QByteArray &declaration = QByteArray())
{
    const QByteArray entity = declaration.isEmpty() ? "<!ENTITY e \"" + QByteArray(length, 'x') + "\">" : declaration;
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [" + entity
        + "]>\n<plist version=\"1.0\"><dict><key>Keep</key><string>stays</string><key>Recent</key>"
          "<string>"
        + QByteArray("&e;").repeated(uses) + "</string></dict></plist>\n";
}

inline void appendBigEndian(QByteArray &out, quint64 value, int size)
{
    for (int i = size - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

// A binary list whose top dictionary holds the key "Recent" for an array referring
// `references` times to one data object of `bytes` bytes, and "Keep": "stays".
inline QByteArray sharedData(qint64 bytes, int references)
{
    QByteArray out("bplist00");
    QList<quint64> offsets;
    // Objects: 0 top dict, 1 "Recent", 2 "Keep", 3 "stays", 4 the array, 5 the data.
    offsets.append(quint64(out.size()));
    out.append("\xD2\x01\x02\x04\x03", 5);
    offsets.append(quint64(out.size()));
    out.append("\x56"
               "Recent");
    offsets.append(quint64(out.size()));
    out.append("\x54"
               "Keep");
    offsets.append(quint64(out.size()));
    out.append("\x55"
               "stays");
    offsets.append(quint64(out.size()));
    out.append("\xAF\x12", 2);
    appendBigEndian(out, quint64(references), 4);
    out.append(QByteArray(references, '\x05'));
    offsets.append(quint64(out.size()));
    out.append("\x4F\x13", 2);
    appendBigEndian(out, quint64(bytes), 8);
    out.append(QByteArray(bytes, 'x'));
    const quint64 table = quint64(out.size());
    for (quint64 offset : offsets)
        appendBigEndian(out, offset, 8);
    out.append(QByteArray(6, '\0'));
    out.append(char(8)); // offset size
    out.append(char(1)); // reference size
    appendBigEndian(out, quint64(offsets.size()), 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

} // namespace hostilelists
