#include "platform/gui/WebView.h"

#include "platform/gui/WebPages.h"
#include "platform/system/CookieStorage.h"
#include "platform/system/Workspace.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPalette>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace platform {

namespace {

const char kTooLargeProperty[] = "nimbrelTooLarge";

bool isWebAddress(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

QString decodePage(const QByteArray &body, const QByteArray &contentType)
{
    // The charset of the header wins, then what the page says of itself, then UTF-8.
    const int at = contentType.toLower().indexOf("charset=");
    if (at >= 0) {
        QByteArray name = contentType.mid(at + 8);
        const int end = name.indexOf(';');
        if (end >= 0)
            name.truncate(end);
        name = name.trimmed().replace('"', QByteArray());
        QStringDecoder decoder(name.constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    if (const auto encoding = QStringConverter::encodingForHtml(body)) {
        QStringDecoder decoder(*encoding);
        return decoder.decode(body);
    }
    return QString::fromUtf8(body);
}

} // namespace

WebView::WebView(QWidget *parent)
    : QTextBrowser(parent)
    , m_network(new QNetworkAccessManager(this))
{
    CookieStorage::useWith(m_network);
    m_network->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl &link) {
        const QUrl target = m_url.resolved(link);
        if (isWebAddress(target) || target.scheme() == QLatin1String("mailto"))
            WebPages::open(target, window());
    });
}

WebView::~WebView()
{
    stopLoading();
}

void WebView::setDrawsBackground(bool draws)
{
    m_drawsBackground = draws;
    setFrameShape(draws ? QFrame::StyledPanel : QFrame::NoFrame);
    viewport()->setAutoFillBackground(draws);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, draws ? QPalette().color(QPalette::Base) : QColor(Qt::transparent));
    setPalette(colours);
}

void WebView::loadRequest(const QUrl &url)
{
    stopLoading();
    clear();
    m_url = url;
    m_answered = false;
    if (m_delegate)
        m_delegate->webViewDidStartProvisionalLoadForFrame(this);

    // Only web pages: an address from the settings must never make us read local files.
    if (!isWebAddress(url)) {
        if (m_delegate)
            m_delegate->webViewDidFailProvisionalLoadWithError(this, u"Unsupported address"_s);
        return;
    }

    QNetworkRequest request(url);
    request.setMaximumRedirectsAllowed(5);
    if (m_timeoutSeconds > 0)
        request.setTransferTimeout(m_timeoutSeconds * 1000);
    QNetworkReply *reply = m_network->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, [this, reply] {
        if (reply == m_reply)
            m_answered = true;
    });
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > MaximumPageSize && !reply->property(kTooLargeProperty).toBool()) {
            reply->setProperty(kTooLargeProperty, true);
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { replyFinished(reply); });
}

void WebView::stopLoading()
{
    if (QNetworkReply *reply = m_reply.data()) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void WebView::replyFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_reply = nullptr;

    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool answered = m_answered || status.isValid();
    QString error;
    if (reply->property(kTooLargeProperty).toBool())
        error = u"The page is too large"_s;
    else if (reply->error() != QNetworkReply::NoError)
        error = reply->errorString();
    else if (status.isValid() && (status.toInt() < 200 || status.toInt() >= 300))
        error = u"HTTP status %1"_s.arg(status.toInt());

    if (!error.isEmpty()) {
        // A failed page leaves the view empty rather than showing an error page.
        clear();
        if (!m_delegate)
            return;
        if (answered)
            m_delegate->webViewDidFailLoadWithError(this, error);
        else
            m_delegate->webViewDidFailProvisionalLoadWithError(this, error);
        return;
    }

    const QByteArray body = reply->readAll();
    const QByteArray contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    const QString text = decodePage(body, contentType);
    if (contentType.toLower().startsWith("text/plain"))
        setPlainText(text);
    else
        setHtml(text);
    if (m_delegate)
        m_delegate->webViewDidFinishLoadForFrame(this);
}

QVariant WebView::loadResource(int, const QUrl &)
{
    // A light view: nothing the page refers to is loaded, and never a local file.
    return {};
}

} // namespace platform
