#pragma once

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

// One HTTP/1.1 request and its reply. The reply is read here rather than by a
// general HTTP layer so that every byte a server sends counts against the cap as it arrives, whatever the
// status: such a layer keeps the body of a 401 or 407 to itself until it ends, and a server that never
// ends it would fill the memory unseen.
class HttpExchange : public QObject {
public:
    struct Reply {
        int status = 0;
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;
        // The first header of that name (any case), or empty.
        QByteArray header(const QByteArray& name) const;
    };
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
    enum class State { Status, Headers, Body, ChunkSize, ChunkEnd, Trailers, Done };
    void connectAnew();
    void release(); // ends the exchange, leaving a connection to keep open
    void attach();
    void readSome();
    bool takeLine(QByteArray& line);
    bool headersDone();
    void closed();
    void fail(const Failure& failure);
    void finish();

    QUrl url_;
    QList<QSslCertificate> trusted_;
    std::unique_ptr<QSslSocket> socket_;
    bool reused_ = false; // on a connection kept from before, which the server may have closed meanwhile
    bool keep_ = false;   // the connection is fit for another exchange
    QByteArray request_;
    bool head_ = false;
    qint64 cap_;
    Events events_;
    State state_ = State::Status;
    QByteArray line_;        // a line not yet whole
    qint64 headerBytes_ = 0; // of this reply's status line and headers
    qint64 left_ = -1;       // bytes of the body or of the chunk still to come; -1: until the server closes
    bool chunked_ = false;
    Reply reply_;
    QList<QSslError> sslErrors_;
};

} // namespace dav
