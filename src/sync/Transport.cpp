#include "sync/Transport.h"

#include "sync/SyncError.h"

#include <QAuthenticator>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTimer>

#include <memory>
#include <optional>

namespace carddav {

QString serverName(const QUrl& url) {
    return url.port() < 0 ? url.host() : QStringLiteral("%1:%2").arg(url.host()).arg(url.port());
}

namespace {
constexpr int MaxRedirects = 5;
constexpr qint64 ReadChunk = 1 << 20;

QString certificateOwner(const QSslCertificate& cert) {
    const QString subject = cert.subjectInfo(QSslCertificate::CommonName).join(QLatin1String(", "));
    const QString issuer = cert.issuerInfo(QSslCertificate::CommonName).join(QLatin1String(", "));
    return QStringLiteral("issued to \"%1\" by \"%2\"").arg(subject, issuer);
}

// A redirect is followed only where the password was meant to go: the same
// host and port, never from https down to http.
bool sameServer(const QUrl& from, const QUrl& to) {
    if (from.host().compare(to.host(), Qt::CaseInsensitive) != 0)
        return false;
    if (from.scheme() == QLatin1String("https") && to.scheme() != QLatin1String("https"))
        return false;
    return from.scheme() != to.scheme() || from.port() == to.port();
}
} // namespace

struct Transport::Exchange {
    Request request;
    Answered answered;
    Failed failed;
    QUrl url;
    int redirects = 0;
    QNetworkReply* reply = nullptr; // owned by the manager until finished, then deleted later
    QByteArray body;
    std::optional<platform::Error> abortedFor; // why we cut the exchange short
    QList<QSslError> sslErrors;
    QTimer idle, total;
};

Transport::Transport(Connection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {
    manager_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    connect(&manager_, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* auth) {
                // Offered once per request; a second ask means the password was refused (401).
                if (reply->property("quorvel.authTried").toBool())
                    return;
                reply->setProperty("quorvel.authTried", true);
                auth->setUser(connection_.user);
                auth->setPassword(connection_.password);
            });
}

void Transport::send(Request request, Answered answered, Failed failed) {
    // The password is for the server the user named: an href from its replies
    // that points elsewhere is not followed, as a redirect there would not be.
    if (origin_.isEmpty())
        origin_ = request.url;
    if (!sameServer(origin_, request.url)) {
        const QUrl to = request.url;
        QTimer::singleShot(0, this, [=, this] {
            failed(platform::Error(err::Redirected,
                                   QStringLiteral("%1 points to another server, %2 (%3); it was not followed")
                                       .arg(serverName(origin_), serverName(to), to.toDisplayString())));
        });
        return;
    }
    auto exchange = std::make_shared<Exchange>();
    exchange->url = request.url;
    exchange->request = std::move(request);
    exchange->answered = std::move(answered);
    exchange->failed = std::move(failed);
    start(std::move(exchange));
}

void Transport::start(std::shared_ptr<Exchange> ex) {
    QNetworkRequest req(ex->url);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    for (const auto& [name, value] : ex->request.headers)
        req.setRawHeader(name, value);
    // Sent at once rather than after a 401: a server that refuses a request before reading its body
    // (and closes the connection) would otherwise break every first upload; and it saves a round trip.
    if (!connection_.user.isEmpty())
        req.setRawHeader(
            "Authorization",
            "Basic " + (connection_.user + QLatin1Char(':') + connection_.password).toUtf8().toBase64());
    if (!ex->request.body.isEmpty() && !req.hasRawHeader("Content-Type"))
        req.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    if (ex->url.scheme() == QLatin1String("https")) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(connection_.trusted);
        req.setSslConfiguration(tls);
    }
    ++sent_;
    ex->body.clear();
    ex->sslErrors.clear();
    QNetworkReply* reply = manager_.sendCustomRequest(req, ex->request.method, ex->request.body);
    ex->reply = reply;
    // Bounded: QNetworkAccessManager reads ahead no more than this before we take it.
    reply->setReadBufferSize(ReadChunk);

    const QString server = serverName(ex->url);
    auto abortFor = [ex, reply](platform::Error why) {
        if (!ex->abortedFor)
            ex->abortedFor = std::move(why);
        reply->abort();
    };
    ex->idle.setSingleShot(true);
    ex->total.setSingleShot(true);
    ex->idle.disconnect();
    ex->total.disconnect();
    connect(&ex->idle, &QTimer::timeout, reply, [=, this] {
        abortFor(platform::Error(err::TimedOut, QStringLiteral("%1 sent nothing for %2 seconds; it may be "
                                                               "overloaded or down: try again later")
                                                    .arg(server)
                                                    .arg(connection_.idleSeconds)));
    });
    connect(&ex->total, &QTimer::timeout, reply, [=, this] {
        abortFor(platform::Error(
            err::TimedOut, QStringLiteral("%1 did not finish answering within %2 seconds; try again later")
                               .arg(server)
                               .arg(connection_.totalSeconds)));
    });
    ex->idle.start(connection_.idleSeconds * 1000);
    ex->total.start(connection_.totalSeconds * 1000);
    const qint64 cap = connection_.maxReplyBytes;
    auto tooLarge = [server, cap] {
        return platform::Error(
            err::TooLarge,
            QStringLiteral(
                "the reply of %1 is larger than %2 MB and was refused; if the address book is that "
                "large, ask the server's administrator whether it sends something else")
                .arg(server)
                .arg(cap >> 20));
    };
    connect(reply, &QNetworkReply::metaDataChanged, reply, [=] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > cap)
            abortFor(tooLarge());
    });
    connect(reply, &QNetworkReply::readyRead, reply, [=] {
        ex->idle.start();
        ex->body += reply->read(std::max<qint64>(reply->bytesAvailable(), 0));
        if (ex->body.size() > cap)
            abortFor(tooLarge());
    });
    connect(reply, &QNetworkReply::uploadProgress, reply, [ex] { ex->idle.start(); });
    connect(reply, &QNetworkReply::sslErrors, reply,
            [ex](const QList<QSslError>& errors) { ex->sslErrors = errors; });
    connect(reply, &QNetworkReply::finished, this, [this, ex] { finished(ex); });
}

void Transport::finished(const std::shared_ptr<Exchange>& ex) {
    ex->idle.stop();
    ex->total.stop();
    QNetworkReply* reply = ex->reply;
    // The reply is deleted later: this runs inside one of its own signals.
    reply->deleteLater();
    if (reply->isOpen())
        ex->body += reply->readAll();
    const QString server = serverName(ex->url);
    if (ex->abortedFor) {
        ex->failed(*ex->abortedFor);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!ex->sslErrors.isEmpty()) {
        const QSslError& first = ex->sslErrors.first();
        const auto chain = reply->sslConfiguration().peerCertificateChain();
        const QString owner = certificateOwner(
            first.certificate().isNull() && !chain.isEmpty() ? chain.first() : first.certificate());
        ex->failed(platform::Error(
            err::Untrusted,
            QStringLiteral(
                "the TLS certificate of %1 (%2) is not trusted: %3. If you trust it, give the file of "
                "its certificate authority with --ca FILE when setting up sync, or add that "
                "authority to the system's trusted ones")
                .arg(server, owner, first.errorString())));
        return;
    }
    if (status == 0) {
        ex->failed(platform::Error(err::Unreachable,
                                   QStringLiteral("cannot reach %1 (%2); check the address and the network, "
                                                  "and that the server is running")
                                       .arg(server, reply->errorString())));
        return;
    }
    if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
        const QUrl to = ex->url.resolved(reply->header(QNetworkRequest::LocationHeader).toUrl());
        if (!to.isValid() || to.isEmpty()) {
            ex->failed(platform::Error(
                err::NotCardDav,
                QStringLiteral("%1 answered %2 without saying where to").arg(server).arg(status)));
        } else if (!sameServer(ex->url, to)) {
            ex->failed(platform::Error(
                err::Redirected,
                QStringLiteral("%1 sends this request on to another server, %2 (%3); it was not followed. If "
                               "you trust %2, set up sync again with that address")
                    .arg(server, serverName(to), to.toDisplayString())));
        } else if (++ex->redirects > MaxRedirects) {
            ex->failed(platform::Error(
                err::NotCardDav,
                QStringLiteral("%1 redirects again and again; check the address").arg(server)));
        } else {
            ex->url = to;
            start(ex);
        }
        return;
    }
    Response response;
    response.status = status;
    response.body = std::move(ex->body);
    response.etag = reply->rawHeader("ETag");
    response.url = ex->url;
    ex->answered(response);
}

} // namespace carddav
