#include "sync/dav/HttpExchange.h"

#include <QNetworkProxyFactory>
#include <QSslConfiguration>

#include <algorithm>
#include <utility>

namespace dav {

namespace {
constexpr qint64 MaxLine = 64 * 1024;         // a status line, a header, a chunk size
constexpr qint64 MaxHeaderBytes = 256 * 1024; // all of one reply's headers
constexpr qint64 ReadChunk = 1 << 20;         // what the socket may hold before we take it

// The proxy the system names for this address, when one can carry a connection through.
QNetworkProxy proxyFor(const QUrl& url) {
    const auto proxies = QNetworkProxyFactory::proxyForQuery(QNetworkProxyQuery(url));
    for (const QNetworkProxy& proxy : proxies) {
        if (proxy.type() == QNetworkProxy::NoProxy || proxy.type() == QNetworkProxy::DefaultProxy)
            break;
        if (proxy.capabilities() & QNetworkProxy::TunnelingCapability)
            return proxy;
    }
    return QNetworkProxy(QNetworkProxy::NoProxy);
}

bool hasToken(const QByteArray& value, const QByteArray& token) {
    const auto parts = value.split(',');
    return std::any_of(parts.begin(), parts.end(),
                       [&](const QByteArray& part) { return part.trimmed().toLower() == token; });
}
} // namespace

QByteArray HttpExchange::Reply::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

HttpExchange::HttpExchange(const QUrl& url, const QByteArray& method,
                           const QList<std::pair<QByteArray, QByteArray>>& headers, const QByteArray& body,
                           const QList<QSslCertificate>& trusted, qint64 cap,
                           std::unique_ptr<QSslSocket> kept, Events events, QObject* parent)
    : QObject(parent), url_(url), trusted_(trusted), socket_(std::move(kept)), head_(method == "HEAD"),
      cap_(cap), events_(std::move(events)) {
    QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (target.isEmpty())
        target = "/";
    request_ = method + ' ' + target +
               " HTTP/1.1\r\nHost: " + url.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toLatin1() +
               "\r\n";
    for (const auto& [name, value] : headers)
        request_ += name + ": " + value + "\r\n";
    if (!body.isEmpty() || (method != "GET" && method != "DELETE" && !head_))
        request_ += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    request_ += "\r\n" + body;
    if (!socket_) {
        connectAnew();
        return;
    }
    reused_ = true;
    attach();
    socket_->write(request_);
}

void HttpExchange::connectAnew() {
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
        socket_.release()->deleteLater(); // this may run inside one of its signals
    }
    socket_ = std::make_unique<QSslSocket>();
    socket_->setProxy(proxyFor(url_));
    socket_->setReadBufferSize(ReadChunk);
    attach();
    const quint16 port = quint16(url_.port(url_.scheme() == QLatin1String("https") ? 443 : 80));
    if (url_.scheme() == QLatin1String("https")) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(trusted_);
        socket_->setSslConfiguration(tls);
        connect(socket_.get(), &QSslSocket::encrypted, this, [this] { socket_->write(request_); });
        socket_->connectToHostEncrypted(url_.host(), port);
    } else {
        connect(socket_.get(), &QSslSocket::connected, this, [this] { socket_->write(request_); });
        socket_->connectToHost(url_.host(), port);
    }
}

void HttpExchange::attach() {
    QSslSocket* socket = socket_.get();
    connect(socket, &QSslSocket::bytesWritten, this, [this] { events_.activity(); });
    connect(socket, &QSslSocket::readyRead, this, &HttpExchange::readSome);
    connect(socket, &QSslSocket::disconnected, this, &HttpExchange::closed);
    connect(socket, &QSslSocket::sslErrors, this,
            [this](const QList<QSslError>& errors) { sslErrors_ = errors; });
    connect(socket, &QSslSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            closed();
        else if (error == QAbstractSocket::ProxyAuthenticationRequiredError)
            fail({false,
                  QStringLiteral("the proxy %1:%2 asks for a user name and password (407); give them in its "
                                 "address, as http://USER:PASSWORD@%1:%2")
                      .arg(socket_->proxy().hostName())
                      .arg(socket_->proxy().port()),
                  {},
                  {}});
        else
            fail({false, socket_->errorString(), sslErrors_, socket_->peerCertificateChain()});
    });
}

void HttpExchange::stop() {
    keep_ = false;
    release();
}

void HttpExchange::release() {
    state_ = State::Done;
    if (!socket_)
        return;
    socket_->disconnect(this);
    if (!keep_)
        socket_->abort();
}

std::unique_ptr<QSslSocket> HttpExchange::takeConnection() { return keep_ ? std::move(socket_) : nullptr; }

// A whole line into `line`, without its end; false while it is not whole yet.
bool HttpExchange::takeLine(QByteArray& line) {
    line_ += socket_->readLine(MaxLine + 2 - line_.size()); // enough to tell a line too long
    if (!line_.endsWith('\n')) {
        if (line_.size() > MaxLine)
            fail({false,
                  QStringLiteral("the server sent a line longer than %1 kB").arg(MaxLine >> 10),
                  {},
                  {}});
        return false;
    }
    if (state_ == State::Status || state_ == State::Headers)
        headerBytes_ += line_.size();
    line = std::exchange(line_, {}).trimmed();
    if (headerBytes_ > MaxHeaderBytes) {
        fail({true, {}, {}, {}});
        return false;
    }
    return true;
}

void HttpExchange::readSome() {
    events_.activity();
    while (state_ != State::Done && socket_->bytesAvailable() > 0) {
        if (state_ == State::Body) {
            qint64 want = std::min(socket_->bytesAvailable(), cap_ + 1 - reply_.body.size());
            if (left_ >= 0)
                want = std::min(want, left_);
            // Never more than one byte past the cap, however much is waiting.
            const QByteArray part = socket_->read(want);
            reply_.body += part;
            if (reply_.body.size() > cap_)
                return fail({true, {}, {}, {}});
            if (left_ >= 0 && (left_ -= part.size()) == 0) {
                if (!chunked_)
                    return finish();
                state_ = State::ChunkEnd;
            }
            continue;
        }
        QByteArray line;
        if (!takeLine(line))
            return;
        switch (state_) {
        case State::Status: {
            const QList<QByteArray> parts = line.split(' ');
            bool ok = false;
            reply_.status = parts.size() > 1 && parts[0].startsWith("HTTP/1.") ? parts[1].toInt(&ok) : 0;
            keep_ = parts[0] == "HTTP/1.1";
            if (!ok || reply_.status < 100 || reply_.status > 999)
                return fail({false, QStringLiteral("the server's reply is not HTTP"), {}, {}});
            state_ = State::Headers;
            break;
        }
        case State::Headers:
            if (!line.isEmpty()) {
                const qsizetype colon = line.indexOf(':');
                if (colon > 0)
                    reply_.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
            } else if (!headersDone()) {
                return;
            }
            break;
        case State::ChunkSize: {
            bool ok = false;
            const qsizetype extension = line.indexOf(';');
            left_ = (extension < 0 ? line : line.left(extension)).trimmed().toLongLong(&ok, 16);
            if (!ok || left_ < 0)
                return fail({false, QStringLiteral("the server's reply has a broken chunk"), {}, {}});
            state_ = left_ == 0 ? State::Trailers : State::Body;
            break;
        }
        case State::ChunkEnd:
            state_ = State::ChunkSize;
            break;
        case State::Trailers:
            if (line.isEmpty())
                return finish();
            break;
        default:
            break;
        }
    }
}

// What follows the headers; false when the exchange ended here.
bool HttpExchange::headersDone() {
    if (reply_.status < 200) { // "100 Continue" and the like: the real reply follows
        reply_ = {};
        headerBytes_ = 0;
        state_ = State::Status;
        return true;
    }
    if (head_ || reply_.status == 204 || reply_.status == 304) {
        finish();
        return false;
    }
    chunked_ = hasToken(reply_.header("Transfer-Encoding"), "chunked");
    if (chunked_) {
        state_ = State::ChunkSize;
        return true;
    }
    const QByteArray length = reply_.header("Content-Length");
    bool ok = true;
    left_ = length.isEmpty() ? -1 : length.toLongLong(&ok);
    if (!ok || left_ < -1) {
        fail({false, QStringLiteral("the server's reply has a broken length"), {}, {}});
        return false;
    }
    if (left_ > cap_) {
        fail({true, {}, {}, {}});
        return false;
    }
    if (left_ == 0) {
        finish();
        return false;
    }
    state_ = State::Body;
    return true;
}

void HttpExchange::closed() {
    if (state_ == State::Done)
        return;
    readSome();
    if (state_ == State::Body && left_ < 0 && !chunked_)
        finish();
    else if (state_ != State::Done)
        fail({false, QStringLiteral("the server closed the connection before its reply was whole"),
              sslErrors_, socket_->peerCertificateChain()});
}

void HttpExchange::fail(const Failure& failure) {
    if (state_ == State::Done)
        return;
    // A kept connection the server closed before it read a word of ours: the request goes again on a new one.
    if (reused_ && state_ == State::Status && line_.isEmpty() && !failure.tooLarge) {
        reused_ = false;
        connectAnew();
        return;
    }
    stop();
    events_.failed(failure);
}

void HttpExchange::finish() {
    // A reply that ends where its length says, on a connection both sides keep, leaves it fit for the next.
    keep_ = keep_ && !(state_ == State::Body && left_ < 0) &&
            !hasToken(reply_.header("Connection"), "close") &&
            socket_->state() == QAbstractSocket::ConnectedState && socket_->bytesAvailable() == 0;
    release();
    events_.answered(reply_);
}

} // namespace dav
