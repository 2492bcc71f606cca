#include "platform/gui/WebView.h"
#include "platform/system/Workspace.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "support/ThreadChecker.h"

using namespace Qt::StringLiterals;

namespace {

// Serves one canned answer to every request, then hangs up.
class OneAnswerServer : public QTcpServer
{
public:
    explicit OneAnswerServer(const QByteArray &answer)
        : m_answer(answer)
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    m_request += socket->readAll();
                    if (!m_request.contains("\r\n\r\n"))
                        return;
                    socket->write(m_answer);
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url(const QString &path) const { return QUrl(u"http://127.0.0.1:%1%2"_s.arg(serverPort()).arg(path)); }
    QByteArray request() const { return m_request; }

private:
    QByteArray m_answer;
    QByteArray m_request;
};

QByteArray httpAnswer(int status, const QByteArray &type, const QByteArray &body, qint64 announcedLength = -1)
{
    const QByteArray reason = status == 200 ? "OK" : "Error";
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\nContent-Type: " + type
        + "\r\nContent-Length: " + QByteArray::number(announcedLength < 0 ? body.size() : announcedLength)
        + "\r\nConnection: close\r\n\r\n" + body;
}

class Recorder : public platform::WebFrameLoadDelegate
{
public:
    QStringList events;
    void webViewDidStartProvisionalLoadForFrame(platform::WebView *) override { events << u"start"_s; }
    void webViewDidFinishLoadForFrame(platform::WebView *) override { events << u"finish"_s; }
    void webViewDidFailProvisionalLoadWithError(platform::WebView *, const QString &) override
    {
        events << u"failProvisional"_s;
    }
    void webViewDidFailLoadWithError(platform::WebView *, const QString &) override { events << u"fail"_s; }
};

} // namespace

class tst_WebView : public QObject
{
    Q_OBJECT
private slots:
    void loadsAgainstServer_data();
    void loadsAgainstServer();
    void closedPortFailsProvisionally();
    void onlyWebAddressesAreFetched_data();
    void onlyWebAddressesAreFetched();
    void stoppedLoadTellsNothing();
    void linksOpenInTheBrowser();
};

void tst_WebView::loadsAgainstServer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("shown");

    QTest::newRow("page") << httpAnswer(200, "text/html; charset=utf-8",
                                        "<html><body><p>Stay <b>updated</b> \xc3\xa9</p></body></html>")
                          << QStringList{"start", "finish"} << u"Stay updated \u00e9"_s;
    QTest::newRow("latin-1 page") << httpAnswer(200, "text/html; charset=iso-8859-1", "<p>caf\xe9</p>")
                                  << QStringList{"start", "finish"} << u"caf\u00e9"_s;
    QTest::newRow("plain text") << httpAnswer(200, "text/plain", "<b>not markup</b>") << QStringList{"start", "finish"}
                                << u"<b>not markup</b>"_s;
    QTest::newRow("not found") << httpAnswer(404, "text/html", "<p>Missing page</p>") << QStringList{"start", "fail"}
                               << QString();
    QTest::newRow("server error") << httpAnswer(500, "text/html", "<p>Broken</p>") << QStringList{"start", "fail"}
                                  << QString();
    QTest::newRow("cut short") << httpAnswer(200, "text/html", "<p>only part", 5000) << QStringList{"start", "fail"}
                               << QString();
}

void tst_WebView::loadsAgainstServer()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    QFETCH(QByteArray, answer);
    QFETCH(QStringList, events);
    QFETCH(QString, shown);

    OneAnswerServer server(answer);
    QVERIFY(server.listen(QHostAddress::LocalHost));
    platform::WebView view;
    Recorder recorder;
    view.setFrameLoadDelegate(&recorder);
    view.loadRequest(server.url(u"/nb-stay-updated"_s));
    QCOMPARE(recorder.events, QStringList{"start"});
    QVERIFY(view.isLoading());

    QTRY_COMPARE(recorder.events.size(), events.size());
    QCOMPARE(recorder.events, events);
    QVERIFY(!view.isLoading());
    QVERIFY(server.request().startsWith("GET /nb-stay-updated HTTP/1.1\r\n"));
    QCOMPARE(view.toPlainText().trimmed(), shown);
}

void tst_WebView::closedPortFailsProvisionally()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();

    platform::WebView view;
    Recorder recorder;
    view.setFrameLoadDelegate(&recorder);
    view.loadRequest(QUrl(u"http://127.0.0.1:%1/nb-stay-updated"_s.arg(port)));
    QTRY_COMPARE(recorder.events.size(), 2);
    QCOMPARE(recorder.events, (QStringList{"start", "failProvisional"}));
    QVERIFY(view.toPlainText().isEmpty());
}

void tst_WebView::onlyWebAddressesAreFetched_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::newRow("local file") << QUrl(u"file:///etc/hostname"_s);
    QTest::newRow("no host") << QUrl(u"/nb-stay-updated"_s);
    QTest::newRow("empty") << QUrl();
    QTest::newRow("data") << QUrl(u"data:text/html,<p>hi</p>"_s);
}

void tst_WebView::onlyWebAddressesAreFetched()
{
    QFETCH(QUrl, url);
    platform::WebView view;
    Recorder recorder;
    view.setFrameLoadDelegate(&recorder);
    view.loadRequest(url);
    QCOMPARE(recorder.events, (QStringList{"start", "failProvisional"}));
    QVERIFY(!view.isLoading());
    QVERIFY(view.toPlainText().isEmpty());
}

void tst_WebView::stoppedLoadTellsNothing()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    // A server that never answers keeps the load open until it is stopped.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    platform::WebView view;
    Recorder recorder;
    view.setFrameLoadDelegate(&recorder);
    view.loadRequest(QUrl(u"http://127.0.0.1:%1/"_s.arg(silent.serverPort())));
    QTRY_VERIFY(silent.hasPendingConnections());
    view.stopLoading();
    QVERIFY(!view.isLoading());

    // A second load replaces the first without a word about it.
    OneAnswerServer server(httpAnswer(200, "text/html", "<p>second</p>"));
    QVERIFY(server.listen(QHostAddress::LocalHost));
    view.loadRequest(server.url(u"/"_s));
    QTRY_COMPARE(recorder.events.size(), 3);
    QCOMPARE(recorder.events, (QStringList{"start", "start", "finish"}));
    QCOMPARE(view.toPlainText().trimmed(), u"second"_s);
}

void tst_WebView::linksOpenInTheBrowser()
{
    SKIP_UNDER_THREAD_CHECKER("Qt Network's own thread (HTTP, TLS set-up, proxy look-up) behind the web view");
    OneAnswerServer server(httpAnswer(200, "text/html", "<a href=\"/more\">more</a> <a href=\"file:///etc\">x</a>"));
    QVERIFY(server.listen(QHostAddress::LocalHost));
    QList<QUrl> opened;
    platform::Workspace::sharedWorkspace().setURLRecorder([&opened](const QUrl &url) { opened << url; });
    platform::WebView view;
    Recorder recorder;
    view.setFrameLoadDelegate(&recorder);
    view.loadRequest(server.url(u"/page"_s));
    QTRY_COMPARE(recorder.events.size(), 2);

    emit view.anchorClicked(QUrl(u"/more"_s));
    emit view.anchorClicked(QUrl(u"file:///etc"_s));
    platform::Workspace::sharedWorkspace().setURLRecorder({});
    QCOMPARE(opened, QList<QUrl>{server.url(u"/more"_s)});
}

QTEST_MAIN(tst_WebView)
#include "tst_webview.moc"
