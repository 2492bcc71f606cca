#pragma once

#include <QPointer>
#include <QString>
#include <QTextBrowser>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace platform {

class WebView;

// Told how a page load goes. "Provisional" failures happen before the server answered
// (no connection, refused, bad address); the others after an answer began (an error status,
// a broken transfer, a page too large).
class WebFrameLoadDelegate
{
public:
    virtual ~WebFrameLoadDelegate() = default;
    virtual void webViewDidStartProvisionalLoadForFrame(WebView *view) = 0;
    virtual void webViewDidFinishLoadForFrame(WebView *view) = 0;
    virtual void webViewDidFailProvisionalLoadWithError(WebView *view, const QString &error) = 0;
    virtual void webViewDidFailLoadWithError(WebView *view, const QString &error) = 0;
};

// A light web view: fetches one page over the network and shows its HTML as rich text.
// Nothing the page refers to is fetched or read (no images, no style sheets, no local
// files), and links open in the default browser. One load at a time: a new load or
// stopLoading() cancels the one in progress without telling the delegate.
class WebView : public QTextBrowser
{
    Q_OBJECT
public:
    // Pages larger than this are not shown.
    static constexpr qint64 MaximumPageSize = 4 * 1024 * 1024;

    explicit WebView(QWidget *parent = nullptr);
    ~WebView() override;

    WebFrameLoadDelegate *frameLoadDelegate() const { return m_delegate; }
    void setFrameLoadDelegate(WebFrameLoadDelegate *delegate) { m_delegate = delegate; }

    // Without a background the view shows what lies behind it.
    void setDrawsBackground(bool draws);
    bool drawsBackground() const { return m_drawsBackground; }

    void loadRequest(const QUrl &url);
    void stopLoading();
    bool isLoading() const { return !m_reply.isNull(); }
    QUrl mainFrameURL() const { return m_url; }

    // Seconds without progress after which a load fails; 0 waits for ever.
    void setTimeout(int seconds) { m_timeoutSeconds = seconds; }

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    void replyFinished(QNetworkReply *reply);

    QNetworkAccessManager *m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    WebFrameLoadDelegate *m_delegate = nullptr;
    QUrl m_url;
    bool m_drawsBackground = true;
    bool m_answered = false;
    int m_timeoutSeconds = 20;
};

} // namespace platform
