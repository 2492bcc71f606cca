#pragma once

#include "ui/launch/PromoPanel.h"

#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;

// The third launch prompt: at most once a week, once the application has been used ten
// times, a small text file on the maker's download server says whether the promotional
// panel is to be shown. Only the exact body "1" shows it; showing it stamps
// the last alert time, anything else (errors, time-outs, other text) stamps nothing, so the
// file is asked for again at the next launch.
class AlertTextPrompt : public QObject
{
    Q_OBJECT
public:
    explicit AlertTextPrompt(QObject *parent = nullptr);
    ~AlertTextPrompt() override;

    void setQzPanel(PromoPanel *panel);
    PromoPanel *qzPanel() const { return m_panel; }

    // Starts the fetch when it is due; the reply is handled later on the main thread.
    void checkBrindlecoveInfoStatus();
    bool isFetching() const { return !m_reply.isNull(); }
    // Milliseconds without an answer after which the fetch is given up.
    int timeout() const { return m_timeoutMs; }
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    void showFW3Panel();
    void showPodcastPanel();
    void showFW3LearnMorePage();
    void showFW3PurchasePage();
    void showPodcastPage();

signals:
    // The reply was handled (whatever it said).
    void alertTextHandled();

private:
    void handleReply(QNetworkReply *reply);
    void showAlertText();
    void showPanelFace(const QString &image, bool productButtons);
    void openAndClose(const QString &path);

    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_reply;
    QPointer<PromoPanel> m_panel;
    int m_timeoutMs = 30000;
};
