#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

using namespace Qt::StringLiterals;

// A small HTTP server on 127.0.0.1 for one test: it answers every request with the status
// and body it was given, or, when told to stay silent, accepts the connection and never
// answers. It keeps the head of every request it received.
class LocalHttpServer : public QTcpServer
{
public:
    int status = 200;
    QByteArray body;
    bool silent = false;
    QList<QByteArray> requests;

    LocalHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                serve(socket);
        });
        listen(QHostAddress::LocalHost);
    }

    QString address() const { return u"http://127.0.0.1:%1"_s.arg(serverPort()); }

    // An address on this machine where nothing listens.
    static QString refusingAddress()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return u"http://127.0.0.1:%1"_s.arg(port);
    }

private:
    void serve(QTcpSocket *socket)
    {
        auto *head = new QByteArray;
        connect(socket, &QObject::destroyed, socket, [head] { delete head; });
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
            *head += socket->readAll();
            if (!head->contains("\r\n\r\n"))
                return;
            requests.append(*head);
            if (silent)
                return;
            socket->write("HTTP/1.1 " + QByteArray::number(status)
                          + " Status\r\nContent-Type: text/plain\r\n"
                            "Content-Length: "
                          + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    }
};
