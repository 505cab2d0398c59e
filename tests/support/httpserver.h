#pragma once

#include "platform/urlopener.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

namespace moravel::testing {

// A small HTTP server on 127.0.0.1 that answers every request the same way and records what it
// was asked. It runs in the test's own thread: a client waiting in a local event loop lets it
// work.
class HttpServer : public QObject {
public:
    enum class Mode {
        Answer,         // status line, headers with Content-Length, body, close
        Silent,         // reads the request and never answers
        CloseDelimited, // no Content-Length: the body ends when the connection closes
    };

    Mode mode = Mode::Answer;
    int status = 200;
    QByteArray body;
    QList<QByteArray> requestTargets; // "/getVerCode.aspx?hbase=..."
    std::function<void()> onRequest;  // runs when a request has arrived, before the answer

    HttpServer() {
        m_listening = m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, &HttpServer::accept);
    }

    bool isListening() const { return m_listening; }
    // The site root, "http://127.0.0.1:<port>/".
    QString root() const {
        return QStringLiteral("http://127.0.0.1:%1/").arg(m_server.serverPort());
    }

    // A port on which nothing listens: taken from the system, then given back.
    static quint16 closedPort() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }

private:
    void accept() {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        }
    }

    void read(QTcpSocket* socket) {
        QByteArray& request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) {
            return;
        }
        requestTargets << request.left(request.indexOf("\r\n")).split(' ').value(1);
        request.clear();
        if (onRequest) {
            onRequest();
        }
        if (mode == Mode::Silent) {
            return;
        }
        QByteArray head = "HTTP/1.1 " + QByteArray::number(status) +
                          (status == 200 ? " OK" : " Not Found") +
                          "\r\nContent-Type: text/plain\r\nConnection: close\r\n";
        if (mode == Mode::Answer) {
            head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        }
        socket->write(head + "\r\n");
        socket->write(body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    bool m_listening = false;
    QHash<QTcpSocket*, QByteArray> m_pending;
};

// Records the pages the program asks to open instead of starting a browser.
class RecordingUrlOpener final : public UrlOpener {
public:
    QList<QUrl> opened;
    bool works = true; // false: as if no browser could be started
    bool openUrl(const QUrl& url) override {
        opened << url;
        return works;
    }
};

} // namespace moravel::testing
