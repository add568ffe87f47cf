#include "sync/dav/HttpExchange.h"

#include <QNetworkProxyFactory>
#include <QSslConfiguration>

#include <utility>

namespace dav {

namespace {
constexpr qint64 ReadChunk = 1 << 20; // what the socket may hold before we take it

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
} // namespace

HttpExchange::HttpExchange(const QUrl& url, const QByteArray& method,
                           const QList<std::pair<QByteArray, QByteArray>>& headers, const QByteArray& body,
                           const QList<QSslCertificate>& trusted, qint64 cap,
                           std::unique_ptr<QSslSocket> kept, Events events, QObject* parent)
    : QObject(parent), url_(url), trusted_(trusted), socket_(std::move(kept)), reader_(cap, method == "HEAD"),
      events_(std::move(events)) {
    QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (target.isEmpty())
        target = "/";
    request_ = method + ' ' + target +
               " HTTP/1.1\r\nHost: " + url.authority(QUrl::FullyEncoded | QUrl::RemoveUserInfo).toLatin1() +
               "\r\n";
    for (const auto& [name, value] : headers)
        request_ += name + ": " + value + "\r\n";
    if (!body.isEmpty() || (method != "GET" && method != "DELETE" && method != "HEAD"))
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
    done_ = true;
    if (!socket_)
        return;
    socket_->disconnect(this);
    if (!keep_)
        socket_->abort();
}

std::unique_ptr<QSslSocket> HttpExchange::takeConnection() { return keep_ ? std::move(socket_) : nullptr; }

void HttpExchange::readSome() {
    events_.activity();
    take(reader_.read(*socket_));
}

void HttpExchange::closed() {
    if (!done_)
        take(reader_.closed(*socket_));
}

void HttpExchange::take(HttpReplyReader::Outcome outcome) {
    switch (outcome) {
    case HttpReplyReader::Outcome::More:
        return;
    case HttpReplyReader::Outcome::TooLarge:
        return fail({true, {}, {}, {}});
    case HttpReplyReader::Outcome::Broken:
        return fail({false, reader_.why(), sslErrors_, socket_->peerCertificateChain()});
    case HttpReplyReader::Outcome::Done:
        break;
    }
    // A reply that ends where its length says, on a connection both sides keep, leaves it fit for the next.
    keep_ = reader_.reply().keepsConnection && socket_->state() == QAbstractSocket::ConnectedState &&
            socket_->bytesAvailable() == 0;
    release();
    events_.answered(reader_.reply());
}

void HttpExchange::fail(const Failure& failure) {
    if (done_)
        return;
    // A kept connection the server closed before it read a word of ours: the request goes again on a new one.
    if (reused_ && !reader_.started() && !failure.tooLarge) {
        reused_ = false;
        reader_.restart();
        connectAnew();
        return;
    }
    stop();
    events_.failed(failure);
}

} // namespace dav
