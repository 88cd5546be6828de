#include "FeedServer.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace halvane::test {

FeedServer::FeedServer() {
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, &FeedServer::answer);
}

void FeedServer::serve(int status, QByteArray body) {
    m_status = status;
    m_body = std::move(body);
}

QUrl FeedServer::url() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(serverPort()));
}

void FeedServer::answer() {
    while (QTcpSocket* socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            // Answer once the request's head is complete.
            if (!socket->property("answered").toBool() &&
                socket->peek(64 * 1024).contains("\r\n\r\n")) {
                socket->setProperty("answered", true);
                ++m_requests;
                QByteArray response = "HTTP/1.1 " + QByteArray::number(m_status) +
                                      (m_status == 200 ? " OK" : " Not Found") +
                                      "\r\nContent-Type: application/rss+xml\r\n"
                                      "Content-Length: " +
                                      QByteArray::number(m_body.size()) +
                                      "\r\nConnection: close\r\n\r\n" + m_body;
                socket->write(response);
                socket->disconnectFromHost();
            }
        });
    }
}

}  // namespace halvane::test
