#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Paths are QStrings throughout the program, but file names on disk are bytes. Bytes that are
// not valid UTF-8 decode to the lone surrogates U+DC80..U+DCFF (one per byte) and encode back
// to the same bytes, so every name survives a round trip through a QString.
QByteArray encodePath(const QString &path);
QString decodePath(const QByteArray &bytes);

// Appends a code point as UTF-8; a surrogate is written as if it were a character.
void appendUtf8(QByteArray &out, char32_t cp);

} // namespace platform
