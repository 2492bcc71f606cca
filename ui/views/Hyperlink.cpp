#include "ui/views/Hyperlink.h"

using namespace Qt::StringLiterals;

namespace {

QString anchor(const QString &text, const QUrl &url, const QString &style)
{
    if (text.isEmpty())
        return {};
    const QString href = url.toString(QUrl::FullyEncoded).toHtmlEscaped();
    const QString styleAttribute = style.isEmpty() ? QString() : u" style=\"%1\""_s.arg(style);
    return u"<a href=\"%1\"%2>%3</a>"_s.arg(href, styleAttribute, text.toHtmlEscaped());
}

} // namespace

QString hyperlinkFromTextString(const QString &text, const QUrl &url)
{
    return anchor(text, url, u"font-family:'Lucida Grande'; font-size:13pt"_s);
}

QString hyperlinkFromString(const QString &text, const QUrl &url)
{
    return anchor(text, url, QString());
}
