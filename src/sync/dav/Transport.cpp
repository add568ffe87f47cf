#include "sync/dav/Transport.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace dav {

namespace {
constexpr int MaxRedirects = 5;
constexpr size_t MaxOpen = 4;

QString serverOf(const QUrl& url) {
    return url.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment)
        .toString();
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
    QPointer<HttpExchange> http; // a child of the transport, deleted later once it has spoken
    QTimer idle, total;
};

Transport::Transport(Connection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {}

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
    auto headers = ex->request.headers;
    // Sent at once rather than after a 401: a server that refuses a request before reading its body
    // (and closes the connection) would otherwise break every first upload; and it saves a round trip.
    // A 401 is then a final answer, read like any other.
    if (!connection_.user.isEmpty())
        headers.emplaceBack(
            "Authorization",
            "Basic " + (connection_.user + QLatin1Char(':') + connection_.password).toUtf8().toBase64());
    const bool typed = std::any_of(headers.begin(), headers.end(), [](const auto& header) {
        return header.first.compare("Content-Type", Qt::CaseInsensitive) == 0;
    });
    if (!ex->request.body.isEmpty() && !typed)
        headers.emplaceBack("Content-Type", "application/xml; charset=utf-8");
    ++sent_;
    HttpExchange::Events events;
    events.activity = [ex] { ex->idle.start(); };
    events.answered = [this, ex](HttpExchange::Reply& reply) { answered(ex, reply); };
    events.failed = [this, ex](const HttpExchange::Failure& failure) { failedWith(ex, failure); };
    std::unique_ptr<QSslSocket> kept;
    const auto open = std::find_if(open_.begin(), open_.end(), [&](const auto& entry) {
        return entry.first == serverOf(ex->url) && entry.second->state() == QAbstractSocket::ConnectedState &&
               entry.second->bytesAvailable() == 0;
    });
    if (open != open_.end()) {
        kept = std::move(open->second);
        open_.erase(open);
    }
    ex->http = new HttpExchange(ex->url, ex->request.method, headers, ex->request.body, connection_.trusted,
                                connection_.maxReplyBytes, std::move(kept), std::move(events), this);

    auto abortFor = [this, ex](const Error& why) {
        if (ex->http)
            ex->http->stop();
        done(ex);
        ex->failed(why);
    };
    ex->idle.setSingleShot(true);
    ex->total.setSingleShot(true);
    ex->idle.disconnect();
    ex->total.disconnect();
    connect(&ex->idle, &QTimer::timeout, ex->http,
            [=, this] { abortFor(problem(*ex, Problem::Idle, connection_.idleSeconds)); });
    connect(&ex->total, &QTimer::timeout, ex->http,
            [=, this] { abortFor(problem(*ex, Problem::TooSlow, connection_.totalSeconds)); });
    ex->idle.start(connection_.idleSeconds * 1000);
    ex->total.start(connection_.totalSeconds * 1000);
}

Error Transport::problem(const Exchange& ex, Problem what, qint64 limit) const {
    Error e(what, ex.url, connection_.user);
    e.limit = limit;
    return e;
}

void Transport::done(const std::shared_ptr<Exchange>& ex) {
    ex->idle.stop();
    ex->total.stop();
    // Deleted later: this runs inside one of its own signals.
    if (ex->http)
        ex->http->deleteLater();
}

void Transport::failedWith(const std::shared_ptr<Exchange>& ex, const HttpExchange::Failure& failure) {
    done(ex);
    if (failure.tooLarge) {
        ex->failed(problem(*ex, Problem::TooLarge, connection_.maxReplyBytes));
    } else if (!failure.sslErrors.isEmpty()) {
        const QSslError& first = failure.sslErrors.first();
        const QSslCertificate cert = first.certificate().isNull() && !failure.chain.isEmpty()
                                         ? failure.chain.first()
                                         : first.certificate();
        Error e = problem(*ex, Problem::Untrusted);
        e.detail = first.errorString();
        e.certificate = cert.subjectInfo(QSslCertificate::CommonName).join(QLatin1String(", "));
        e.issuer = cert.issuerInfo(QSslCertificate::CommonName).join(QLatin1String(", "));
        ex->failed(e);
    } else {
        Error e = problem(*ex, Problem::Unreachable);
        e.detail = failure.detail;
        ex->failed(e);
    }
}

void Transport::answered(const std::shared_ptr<Exchange>& ex, HttpExchange::Reply& reply) {
    if (std::unique_ptr<QSslSocket> open = ex->http->takeConnection()) {
        std::erase_if(open_, [](const auto& entry) {
            return entry.second->state() != QAbstractSocket::ConnectedState;
        });
        if (open_.size() >= MaxOpen)
            open_.erase(open_.begin());
        open_.emplace_back(serverOf(ex->url), std::move(open));
    }
    done(ex);
    const int status = reply.status;
    if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
        const QUrl to = ex->url.resolved(QUrl::fromEncoded(reply.header("Location")));
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
    response.body = std::move(reply.body);
    response.etag = reply.header("ETag");
    response.url = ex->url;
    ex->answered(response);
}

} // namespace dav
