#include "sync/dav/Client.h"

#include <QSet>

namespace dav {
namespace {
// A server that truncates every sync report would otherwise keep us asking forever.
constexpr int MaxSyncRounds = 1000;

QString withSlash(QString path) {
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

bool sameCollection(const QUrl& a, const QUrl& b) {
    return withSlash(a.path(QUrl::FullyEncoded)) == withSlash(b.path(QUrl::FullyEncoded));
}
} // namespace

Client::Client(Connection connection, Failed failed)
    : transport_(std::move(connection)), failed_(std::move(failed)) {}

Error Client::statusError(const Response& r) const {
    Error e(Problem::Refused, r.url, transport_.connection().user);
    e.status = r.status;
    if (r.status == 401)
        e.problem = Problem::Unauthorized;
    else if (r.status == 403)
        e.problem = Problem::Forbidden;
    else if (r.status == 404 || r.status == 410)
        e.problem = Problem::NotFound;
    else if (r.status >= 200 && r.status <= 299)
        e.problem = Problem::NotDav;
    else if (r.status >= 500)
        e.problem = Problem::ServerFailed;
    return e;
}

bool Client::readReply(const Response& r, Multistatus& ms, const Failed& failed) const {
    try {
        ms = readMultistatus(r.body);
        return true;
    } catch (Error& e) {
        e.url = r.url;
        e.user = transport_.connection().user;
        failed(e);
        return false;
    }
}

void Client::davRequest(const QByteArray& method, const QUrl& url, int depth, const QByteArray& body,
                        std::function<void(const Multistatus&, const QUrl&)> read, Failed failed) {
    if (!failed)
        failed = failed_;
    Request request{method, url, body, {{"Depth", QByteArray::number(depth)}}};
    transport_.send(
        std::move(request),
        [this, read = std::move(read), failed](const Response& r) {
            if (r.status != 207) {
                failed(statusError(r));
                return;
            }
            Multistatus ms;
            if (!readReply(r, ms, failed))
                return;
            read(ms, r.url);
        },
        failed);
}

void Client::list(const QUrl& collection, const QString& token, const std::function<void(Listing)>& listed) {
    Listing start;
    start.whole = token.isEmpty();
    syncReport(collection, token, std::move(start), 0, listed);
}

void Client::syncReport(const QUrl& collection, const QString& token, Listing sofar, int round,
                        const std::function<void(Listing)>& listed) {
    Request request{"REPORT", collection, syncCollectionBody(token), {{"Depth", "0"}}};
    transport_.send(
        std::move(request),
        [=, this, sofar = std::move(sofar)](const Response& r) mutable {
            // A token the server has forgotten (some say so with the precondition, some just fail):
            // start over with everything, which is always right, only longer.
            if (!token.isEmpty() && r.status >= 400 && r.status != 401 && round == 0) {
                list(collection, QString(), listed);
                return;
            }
            if (r.status != 207) {
                // No sync reports here (501, 405, 403, ...): a listing of every card with its ETag does the
                // same job. A wrong password, a missing collection or a failing server is told instead.
                const bool unsupported = r.status == 501 || (r.status >= 400 && r.status < 500 &&
                                                             r.status != 401 && r.status != 404);
                if (token.isEmpty() && round == 0 && unsupported)
                    listByEtags(collection, listed);
                else
                    failed_(statusError(r));
                return;
            }
            Multistatus ms;
            if (!readReply(r, ms, failed_))
                return;
            bool truncated = false;
            for (const DavResource& res : ms.resources) {
                const QUrl at = r.url.resolved(QUrl(res.href));
                if (sameCollection(at, r.url)) {
                    truncated |= res.status == 507;
                } else if (res.status == 404) {
                    sofar.removed << res.href;
                } else if (!res.collection) {
                    sofar.cards << CardRef{res.href, res.etag};
                }
            }
            sofar.syncToken = ms.syncToken;
            if (truncated && !ms.syncToken.isEmpty() && ms.syncToken != token && round + 1 < MaxSyncRounds)
                syncReport(collection, ms.syncToken, std::move(sofar), round + 1, listed);
            else
                listed(std::move(sofar));
        },
        failed_);
}

void Client::listByEtags(const QUrl& collection, const std::function<void(Listing)>& listed) {
    davRequest("PROPFIND", collection, 1,
               propfindBody({QStringLiteral("getetag"), QStringLiteral("resourcetype")}, {}),
               [listed](const Multistatus& ms, const QUrl& url) {
                   Listing all;
                   for (const DavResource& r : ms.resources)
                       if (!r.collection && !sameCollection(url.resolved(QUrl(r.href)), url))
                           all.cards << CardRef{r.href, r.etag};
                   listed(std::move(all));
               });
}

void Client::fetch(const QUrl& collection, const QStringList& hrefs,
                   const std::function<void(QList<FetchedCard>)>& batch, const std::function<void()>& done,
                   int batchSize) {
    fetchFrom(collection, hrefs, 0, std::max(batchSize, 1), batch, done);
}

void Client::fetchFrom(const QUrl& collection, const QStringList& hrefs, qsizetype from, int batchSize,
                       const std::function<void(QList<FetchedCard>)>& batch,
                       const std::function<void()>& done) {
    if (from >= hrefs.size()) {
        done();
        return;
    }
    const QStringList asked = hrefs.mid(from, batchSize);
    // Cards with large photos can make a batch larger than a reply may be: halve it and go on.
    Failed tooLarge = [=, this](const Error& e) {
        if (e.problem == Problem::TooLarge && batchSize > 1)
            fetchFrom(collection, hrefs, from, batchSize / 2, batch, done);
        else
            failed_(e);
    };
    davRequest(
        "REPORT", collection, 1, multigetBody(asked),
        [=, this](const Multistatus& ms, const QUrl& url) {
            // Only what was asked for: a card under another name is not taken on the server's word.
            QSet<QString> wanted;
            for (const QString& href : asked)
                wanted.insert(url.resolved(QUrl(href)).path(QUrl::FullyEncoded));
            QList<FetchedCard> cards;
            for (const DavResource& r : ms.resources) {
                const QString path = url.resolved(QUrl(r.href)).path(QUrl::FullyEncoded);
                if (r.status == 404 || r.addressData.isEmpty() || !wanted.remove(path))
                    continue;
                cards << FetchedCard{r.href, r.etag, r.addressData};
            }
            batch(std::move(cards));
            fetchFrom(collection, hrefs, from + asked.size(), batchSize, batch, done);
        },
        tooLarge);
}

void Client::put(const QUrl& card, const QByteArray& vcard, const QByteArray& etag,
                 const std::function<void(Written, QByteArray)>& written) {
    Request request{"PUT", card, vcard, {{"Content-Type", "text/vcard; charset=utf-8"}}};
    request.headers.push_back(etag.isEmpty() ? std::pair<QByteArray, QByteArray>("If-None-Match", "*")
                                             : std::pair<QByteArray, QByteArray>("If-Match", etag));
    transport_.send(
        std::move(request),
        [this, written](const Response& r) {
            if (r.status == 412)
                written(Written::Conflict, {});
            else if (r.status >= 200 && r.status <= 299)
                // A weak ETag says the server changed the card as it stored it: ours is not its copy.
                written(Written::Stored, r.etag.startsWith("W/") ? QByteArray() : r.etag);
            else
                failed_(statusError(r));
        },
        failed_);
}

void Client::remove(const QUrl& card, const QByteArray& etag, const std::function<void(Written)>& removed) {
    Request request{"DELETE", card, {}, {}};
    if (!etag.isEmpty())
        request.headers.push_back({"If-Match", etag});
    transport_.send(
        std::move(request),
        [this, removed](const Response& r) {
            if (r.status == 412)
                removed(Written::Conflict);
            else if (r.status == 404 || r.status == 410)
                removed(Written::Gone);
            else if (r.status >= 200 && r.status <= 299)
                removed(Written::Stored);
            else
                failed_(statusError(r));
        },
        failed_);
}

} // namespace dav
