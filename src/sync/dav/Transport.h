#pragma once

#include "sync/dav/Error.h"
#include "sync/dav/HttpExchange.h"

#include <QByteArray>
#include <QList>
#include <QSslCertificate>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

namespace dav {

// What every exchange with one server needs.
struct Connection {
    QString user;
    QString password;
    QList<QSslCertificate> trusted; // certificate authorities trusted besides the system's
    // A server may think a while before the first byte of a large listing.
    int idleSeconds = 90;   // no byte from the server for this long: give up
    int totalSeconds = 600; // one request may take at most this long
    qint64 maxReplyBytes = qint64(64) << 20;
};

struct Request {
    QByteArray method;
    QUrl url;
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
};

struct Response {
    int status = 0;
    QByteArray body;
    QByteArray etag; // the ETag header, when the server sent one
    QUrl url;        // where the answer came from, after redirects on the same server
};

// Sends HTTP requests to one CardDAV server (the one of the first request) without blocking: each answer
// (of any HTTP status) or failure comes back through a callback from the
// event loop. Redirects are followed only on the same server; replies are
// capped in size and time; TLS certificates must be trusted.
class Transport : public QObject {
public:
    using Answered = std::function<void(const Response&)>;
    using Failed = std::function<void(const Error&)>;

    explicit Transport(Connection connection, QObject* parent = nullptr);

    void send(Request request, Answered answered, Failed failed);
    const Connection& connection() const { return connection_; }
    // Requests sent so far, redirects included.
    int requestsSent() const { return sent_; }

private:
    struct Exchange;
    void start(const std::shared_ptr<Exchange>& exchange);
    void done(const std::shared_ptr<Exchange>& exchange);
    void answered(const std::shared_ptr<Exchange>& exchange, HttpExchange::Reply& reply);
    void failedWith(const std::shared_ptr<Exchange>& exchange, const HttpExchange::Failure& failure);
    Error problem(const Exchange& exchange, Problem what, qint64 limit = 0) const;

    Connection connection_;
    QUrl origin_; // the server of the first request: the one every later request must go to
    int sent_ = 0;
    // Connections the last replies left open, with the server each goes to: reused, not opened anew.
    std::vector<std::pair<QString, std::unique_ptr<QSslSocket>>> open_;
};

} // namespace dav
