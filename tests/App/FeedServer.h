#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QUrl>

namespace halvane::test {

// A tiny HTTP server on 127.0.0.1 that answers every request with one fixed
// response, for the updater to fetch its feed from.
class FeedServer final : public QTcpServer {
    Q_OBJECT

public:
    FeedServer();

    void serve(int status, QByteArray body);
    QUrl url() const;
    int requests() const { return m_requests; }

private:
    void answer();

    int m_status = 200;
    QByteArray m_body;
    int m_requests = 0;
};

}  // namespace halvane::test
