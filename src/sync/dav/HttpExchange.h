#pragma once

#include "sync/dav/HttpReply.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslError>
#include <QSslSocket>
#include <QUrl>

#include <functional>
#include <memory>

namespace dav {

// One HTTP/1.1 request and its reply. The reply is read by our own reader rather than a general HTTP layer
// so that every byte a server sends counts against the cap as it arrives, whatever the status: such a layer
// keeps the body of a 401 or 407 to itself until it ends, and a server that never ends it fills the memory
// unseen.
class HttpExchange : public QObject {
public:
    using Reply = HttpReply;
    struct Failure {
        bool tooLarge = false;        // the reply passed the cap
        QString detail;               // the network's reason
        QList<QSslError> sslErrors;   // why the server's certificate was not trusted
        QList<QSslCertificate> chain; // what the server showed
    };
    struct Events {
        std::function<void()> activity; // bytes went one way or the other
        std::function<void(Reply&)> answered;
        std::function<void(const Failure&)> failed;
    };

    // `kept`: a connection an earlier exchange left open to the same server, or none.
    HttpExchange(const QUrl& url, const QByteArray& method,
                 const QList<std::pair<QByteArray, QByteArray>>& headers, const QByteArray& body,
                 const QList<QSslCertificate>& trusted, qint64 cap, std::unique_ptr<QSslSocket> kept,
                 Events events, QObject* parent);
    // Ends the exchange without a word through the events.
    void stop();
    // Once answered: the connection, when the reply left it fit for another exchange; else none.
    std::unique_ptr<QSslSocket> takeConnection();

private:
    void connectAnew();
    void release(); // ends the exchange, leaving a connection to keep open
    void attach();
    void readSome();
    void closed();
    void take(HttpReplyReader::Outcome outcome);
    void fail(const Failure& failure);

    QUrl url_;
    QList<QSslCertificate> trusted_;
    std::unique_ptr<QSslSocket> socket_;
    bool reused_ = false; // on a connection kept from before, which the server may have closed meanwhile
    bool keep_ = false;   // the connection is fit for another exchange
    bool done_ = false;
    QByteArray request_;
    HttpReplyReader reader_;
    Events events_;
    QList<QSslError> sslErrors_;
};

} // namespace dav
