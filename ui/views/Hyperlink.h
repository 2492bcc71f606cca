#pragma once

#include <QString>
#include <QUrl>

// Clickable link text as Qt rich text, for labels that open links (set the label's
// openExternalLinks or listen to linkActivated). The text is escaped; an empty text gives an
// empty string, so a label shows nothing rather than an empty anchor.

// The link in the program's own link font ("Lucida Grande", 13 points); labels showing it get the
// pointing-hand cursor over the link from Qt.
QString hyperlinkFromTextString(const QString &text, const QUrl &url);

// The link alone, in whatever font the label has.
QString hyperlinkFromString(const QString &text, const QUrl &url);
