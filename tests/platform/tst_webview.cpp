#include "platform/WebView.h"
#include "platform/Workspace.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "support/ThreadChecker.h"

namespace {

// Serves one canned answer to every request, then hangs up.
class OneAnswerServer : public QTcpServer
{
public:
    explicit OneAnswerServer(const QByteArray &answer) : m_answer(answer)
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
    QUrl url(const QString &path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
    }
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
    void webViewDidStartProvisionalLoadForFrame(platform::WebView *) override { events << QStringLiteral("start"); }
    void webViewDidFinishLoadForFrame(platform::WebView *) override { events << QStringLiteral("finish"); }
    void webViewDidFailProvisionalLoadWithError(platform::WebView *, const QString &) override
    {
        events << QStringLiteral("failProvisional");
    }
    void webViewDidFailLoadWithError(platform::WebView *, const QString &) override { events << QStringLiteral("fail"); }
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
                          << QStringList{"start", "finish"} << QStringLiteral("Stay updated \u00e9");
    QTest::newRow("latin-1 page") << httpAnswer(200, "text/html; charset=iso-8859-1", "<p>caf\xe9</p>")
                                  << QStringList{"start", "finish"} << QStringLiteral("caf\u00e9");
    QTest::newRow("plain text") << httpAnswer(200, "text/plain", "<b>not markup</b>")
                                << QStringList{"start", "finish"} << QStringLiteral("<b>not markup</b>");
    QTest::newRow("not found") << httpAnswer(404, "text/html", "<p>Missing page</p>")
                               << QStringList{"start", "fail"} << QString();
    QTest::newRow("server error") << httpAnswer(500, "text/html", "<p>Broken</p>")
                                  << QStringList{"start", "fail"} << QString();
    QTest::newRow("cut short") << httpAnswer(200, "text/html", "<p>only part", 5000)
                               << QStringList{"start", "fail"} << QString();
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
    view.loadRequest(server.url(QStringLiteral("/nb-stay-updated")));
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
    view.loadRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/nb-stay-updated").arg(port)));
    QTRY_COMPARE(recorder.events.size(), 2);
    QCOMPARE(recorder.events, (QStringList{"start", "failProvisional"}));
    QVERIFY(view.toPlainText().isEmpty());
}

void tst_WebView::onlyWebAddressesAreFetched_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::newRow("local file") << QUrl(QStringLiteral("file:///etc/hostname"));
    QTest::newRow("no host") << QUrl(QStringLiteral("/nb-stay-updated"));
    QTest::newRow("empty") << QUrl();
    QTest::newRow("data") << QUrl(QStringLiteral("data:text/html,<p>hi</p>"));
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
    view.loadRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort())));
    QTRY_VERIFY(silent.hasPendingConnections());
    view.stopLoading();
    QVERIFY(!view.isLoading());

    // A second load replaces the first without a word about it.
    OneAnswerServer server(httpAnswer(200, "text/html", "<p>second</p>"));
    QVERIFY(server.listen(QHostAddress::LocalHost));
    view.loadRequest(server.url(QStringLiteral("/")));
    QTRY_COMPARE(recorder.events.size(), 3);
    QCOMPARE(recorder.events, (QStringList{"start", "start", "finish"}));
    QCOMPARE(view.toPlainText().trimmed(), QStringLiteral("second"));
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
    view.loadRequest(server.url(QStringLiteral("/page")));
    QTRY_COMPARE(recorder.events.size(), 2);

    emit view.anchorClicked(QUrl(QStringLiteral("/more")));
    emit view.anchorClicked(QUrl(QStringLiteral("file:///etc")));
    platform::Workspace::sharedWorkspace().setURLRecorder({});
    QCOMPARE(opened, QList<QUrl>{server.url(QStringLiteral("/more"))});
}

QTEST_MAIN(tst_WebView)
#include "tst_webview.moc"
