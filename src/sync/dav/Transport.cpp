#include "sync/dav/Transport.h"

#include <QAuthenticator>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

namespace dav {

namespace {
constexpr int MaxRedirects = 5;
constexpr qint64 ReadChunk = 1 << 20;

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
    std::optional<Error> abortedFor; // why we cut the exchange short
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
            Error e(Problem::HrefAway, origin_, connection_.user);
            e.to = to;
            failed(e);
        });
        return;
    }
    auto exchange = std::make_shared<Exchange>();
    exchange->url = request.url;
    exchange->request = std::move(request);
    exchange->answered = std::move(answered);
    exchange->failed = std::move(failed);
    start(exchange);
}

void Transport::start(const std::shared_ptr<Exchange>& ex) {
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
    // Bounded: QNetworkAccessManager reads ahead no more than this before we take it. The limit reaches
    // the thread reading the socket only once the request is under way (a setting before is lost there),
    // so it is given again as the connection starts, when the request has gone and when the headers
    // come: without it that thread reads a fast server's endless reply far past the cap below.
    auto bound = [reply] { reply->setReadBufferSize(ReadChunk); };
    bound();
    connect(reply, &QNetworkReply::socketStartedConnecting, reply, bound);
    connect(reply, &QNetworkReply::requestSent, reply, bound);

    auto abortFor = [ex, reply](Error why) {
        if (!ex->abortedFor)
            ex->abortedFor = std::move(why);
        reply->abort();
    };
    ex->idle.setSingleShot(true);
    ex->total.setSingleShot(true);
    ex->idle.disconnect();
    ex->total.disconnect();
    connect(&ex->idle, &QTimer::timeout, reply,
            [=, this] { abortFor(problem(*ex, Problem::Idle, connection_.idleSeconds)); });
    connect(&ex->total, &QTimer::timeout, reply,
            [=, this] { abortFor(problem(*ex, Problem::TooSlow, connection_.totalSeconds)); });
    ex->idle.start(connection_.idleSeconds * 1000);
    ex->total.start(connection_.totalSeconds * 1000);
    const qint64 cap = connection_.maxReplyBytes;
    auto tooLarge = [=, this] { return problem(*ex, Problem::TooLarge, cap); };
    connect(reply, &QNetworkReply::metaDataChanged, reply, [=] {
        bound();
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && length.toLongLong() > cap)
            abortFor(tooLarge());
    });
    connect(reply, &QNetworkReply::readyRead, reply, [=] {
        ex->idle.start();
        // Never more than one byte past the cap, however much is waiting.
        ex->body += reply->read(std::clamp<qint64>(reply->bytesAvailable(), 0, cap + 1 - ex->body.size()));
        if (ex->body.size() > cap)
            abortFor(tooLarge());
    });
    connect(reply, &QNetworkReply::uploadProgress, reply, [ex] { ex->idle.start(); });
    connect(reply, &QNetworkReply::sslErrors, reply,
            [ex](const QList<QSslError>& errors) { ex->sslErrors = errors; });
    connect(reply, &QNetworkReply::finished, this, [this, ex] { finished(ex); });
}

Error Transport::problem(const Exchange& ex, Problem what, qint64 limit) const {
    Error e(what, ex.url, connection_.user);
    e.limit = limit;
    return e;
}

void Transport::finished(const std::shared_ptr<Exchange>& ex) {
    ex->idle.stop();
    ex->total.stop();
    QNetworkReply* reply = ex->reply;
    // The reply is deleted later: this runs inside one of its own signals.
    reply->deleteLater();
    if (reply->isOpen() && !ex->abortedFor)
        ex->body += reply->read(
            std::clamp<qint64>(reply->bytesAvailable(), 0, connection_.maxReplyBytes + 1 - ex->body.size()));
    if (ex->body.size() > connection_.maxReplyBytes && !ex->abortedFor)
        ex->abortedFor = problem(*ex, Problem::TooLarge, connection_.maxReplyBytes);
    if (ex->abortedFor) {
        ex->failed(*ex->abortedFor);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!ex->sslErrors.isEmpty()) {
        const QSslError& first = ex->sslErrors.first();
        const auto chain = reply->sslConfiguration().peerCertificateChain();
        const QSslCertificate cert =
            first.certificate().isNull() && !chain.isEmpty() ? chain.first() : first.certificate();
        Error e = problem(*ex, Problem::Untrusted);
        e.detail = first.errorString();
        e.certificate = cert.subjectInfo(QSslCertificate::CommonName).join(QLatin1String(", "));
        e.issuer = cert.issuerInfo(QSslCertificate::CommonName).join(QLatin1String(", "));
        ex->failed(e);
        return;
    }
    if (status == 0) {
        Error e = problem(*ex, Problem::Unreachable);
        e.detail = reply->errorString();
        ex->failed(e);
        return;
    }
    if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
        const QUrl to = ex->url.resolved(reply->header(QNetworkRequest::LocationHeader).toUrl());
        Error e = problem(*ex, Problem::NoLocation);
        e.status = status;
        e.to = to;
        if (!to.isValid() || to.isEmpty()) {
            ex->failed(e);
        } else if (!sameServer(ex->url, to)) {
            e.problem = Problem::RedirectedAway;
            ex->failed(e);
        } else if (++ex->redirects > MaxRedirects) {
            e.problem = Problem::RedirectLoop;
            ex->failed(e);
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

} // namespace dav
