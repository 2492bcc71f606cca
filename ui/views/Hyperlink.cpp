#include "ui/views/Hyperlink.h"

namespace {

QString anchor(const QString &text, const QUrl &url, const QString &style)
{
    if (text.isEmpty())
        return {};
    const QString href = url.toString(QUrl::FullyEncoded).toHtmlEscaped();
    const QString styleAttribute = style.isEmpty() ? QString() : QStringLiteral(" style=\"%1\"").arg(style);
    return QStringLiteral("<a href=\"%1\"%2>%3</a>").arg(href, styleAttribute, text.toHtmlEscaped());
}

} // namespace

QString hyperlinkFromTextString(const QString &text, const QUrl &url)
{
    return anchor(text, url, QStringLiteral("font-family:'Lucida Grande'; font-size:13pt"));
}

QString hyperlinkFromString(const QString &text, const QUrl &url)
{
    return anchor(text, url, QString());
}
