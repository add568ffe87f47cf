// The CardDAV client against real servers on 127.0.0.1, and against one that
// misbehaves on purpose.
#include "DavServer.h"
#include "cli/SyncProblem.h"
#include "sync/dav/Client.h"
#include "sync/dav/Error.h"

#include <QTcpServer>
#include <QTest>

#include <optional>

using dav::Written;
using testing::DavServer;

namespace {
QByteArray vcard(const QString& uid, const QString& name) {
    return QStringLiteral(
               "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\nN:%2;;;;\r\nTEL:555-0101\r\nEND:VCARD\r\n")
        .arg(uid, name)
        .toUtf8();
}

// One client whose failures are kept for the test to look at.
struct Session {
    explicit Session(dav::Connection connection)
        : client(std::move(connection), [this](const dav::Error& e) { error = e; }) {}
    // Runs the event loop until `done` or a failure.
    bool settle(const bool& done) {
        return QTest::qWaitFor([&] { return done || error.has_value(); }, 60000);
    }

    dav::Client client;
    std::optional<dav::Error> error;
    // What the user is told of the failure.
    QString said() const { return error ? cli::describe(*error) : QString(); }
};

dav::Connection account(const QString& password = QStringLiteral("Olsen-7Kq")) {
    dav::Connection c;
    c.user = QStringLiteral("ida");
    c.password = password;
    return c;
}

QStringList names(const QList<dav::AddressBook>& books) {
    QStringList all;
    for (const auto& b : books)
        all << b.name;
    all.sort(Qt::CaseInsensitive);
    return all;
}
} // namespace

class CardDavTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DavServer> radicale, xandikos, hostile;

    DavServer* server(const QString& kind) {
        return kind == QLatin1String("radicale") ? radicale.get() : xandikos.get();
    }
    QUrl bookOf(const QString& kind) {
        return kind == QLatin1String("radicale")
                   ? radicale->url(QStringLiteral("/ida/contacts/"))
                   : xandikos->url(QStringLiteral("/user/contacts/addressbook/"));
    }

    std::optional<QList<dav::AddressBook>> discover(Session& s, const QUrl& url) {
        bool done = false;
        QList<dav::AddressBook> found;
        s.client.discover(url, [&](QList<dav::AddressBook> books) {
            found = std::move(books);
            done = true;
        });
        if (!s.settle(done) || !done)
            return std::nullopt;
        return found;
    }
    std::optional<dav::Listing> list(Session& s, const QUrl& url, const QString& token) {
        bool done = false;
        dav::Listing listing;
        s.client.list(url, token, [&](dav::Listing l) {
            listing = std::move(l);
            done = true;
        });
        if (!s.settle(done) || !done)
            return std::nullopt;
        return listing;
    }
    std::pair<Written, QByteArray> put(Session& s, const QUrl& url, const QByteArray& card,
                                       const QByteArray& etag) {
        bool done = false;
        std::pair<Written, QByteArray> result{Written::Gone, {}};
        s.client.put(url, card, etag, [&](Written w, QByteArray tag) {
            result = {w, tag};
            done = true;
        });
        s.settle(done);
        return result;
    }
    std::optional<Written> remove(Session& s, const QUrl& url, const QByteArray& etag) {
        bool done = false;
        std::optional<Written> result;
        s.client.remove(url, etag, [&](Written w) {
            result = w;
            done = true;
        });
        s.settle(done);
        return result;
    }
    QList<dav::FetchedCard> fetch(Session& s, const QUrl& url, const QStringList& hrefs, int batch) {
        bool done = false;
        QList<dav::FetchedCard> all;
        s.client.fetch(
            url, hrefs, [&](QList<dav::FetchedCard> cards) { all += cards; }, [&] { done = true; }, batch);
        s.settle(done);
        return all;
    }

private slots:
    void initTestCase() {
        QString why;
        radicale = DavServer::start(DavServer::Radicale, why);
        QVERIFY2(radicale, qPrintable(why));
        xandikos = DavServer::start(DavServer::Xandikos, why);
        QVERIFY2(xandikos, qPrintable(why));
        hostile = DavServer::start(DavServer::Hostile, why);
        QVERIFY2(hostile, qPrintable(why));
        // Xandikos starts with one address book; a second makes it list several.
        Session s(account());
        bool done = false;
        dav::Transport mkcol(account());
        mkcol.send(
            {"MKCOL",
             xandikos->url(QStringLiteral("/user/contacts/work/")),
             R"(<D:mkcol xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop>)"
             R"(<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype><D:displayname>Work)"
             R"(</D:displayname></D:prop></D:set></D:mkcol>)",
             {}},
            [&](const dav::Response& r) { done = r.status == 201; }, [](const dav::Error&) {});
        QVERIFY(QTest::qWaitFor([&] { return done; }, 30000));
    }

    void findsAddressBooksFromServerOrCollection_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("radicale") << "radicale" << QStringList{"Contacts", "Work"};
        QTest::newRow("xandikos") << "xandikos" << QStringList{"addressbook", "Work"};
    }
    void findsAddressBooksFromServerOrCollection() {
        QFETCH(QString, kind);
        QFETCH(QStringList, expected);
        Session s(account());
        // From the server's bare address: principal, home, then every address book with its name.
        const auto all = discover(s, server(kind)->url());
        QVERIFY2(all, s.error ? qPrintable(s.said()) : "no answer");
        QCOMPARE(names(*all), expected);
        for (const auto& b : *all)
            QVERIFY2(b.syncTokens, qPrintable(b.name));
        // From the address book itself: only that one.
        const auto one = discover(s, bookOf(kind));
        QVERIFY(one);
        QCOMPARE(one->size(), 1);
        QCOMPARE(one->first().url.path(), bookOf(kind).path());
    }

    // New, changed and deleted only when the server's card is the one the change was based on.
    void writesOnlyOnTheCardItWasBasedOn_data() { findsAddressBooksFromServerOrCollection_data(); }
    void writesOnlyOnTheCardItWasBasedOn() {
        QFETCH(QString, kind);
        Session s(account());
        const QUrl card = bookOf(kind).resolved(QUrl(QStringLiteral("writes-%1.vcf").arg(kind)));
        auto [w1, etag1] = put(s, card, vcard(QStringLiteral("w1"), QStringLiteral("Ida Olsen")), {});
        QVERIFY2(!s.error, s.error ? qPrintable(s.said()) : "");
        QCOMPARE(w1, Written::Stored);
        // A second "new" card under the same name would overwrite it: refused.
        QCOMPARE(put(s, card, vcard(QStringLiteral("w1"), QStringLiteral("Other")), {}).first,
                 Written::Conflict);
        if (etag1.isEmpty()) {
            const auto listing = list(s, bookOf(kind), QString());
            QVERIFY(listing);
            for (const auto& ref : listing->cards)
                if (ref.href == card.path())
                    etag1 = ref.etag;
        }
        QVERIFY(!etag1.isEmpty());
        auto [w2, etag2] = put(s, card, vcard(QStringLiteral("w1"), QStringLiteral("Ida Olsen-Berg")), etag1);
        QCOMPARE(w2, Written::Stored);
        // The first ETag is stale now: neither a change nor a delete based on it goes through.
        QCOMPARE(put(s, card, vcard(QStringLiteral("w1"), QStringLiteral("Stale")), etag1).first,
                 Written::Conflict);
        QCOMPARE(remove(s, card, etag1), Written::Conflict);
        const auto fetched = fetch(s, bookOf(kind), {card.path()}, 10);
        QCOMPARE(fetched.size(), 1);
        QVERIFY(fetched.first().vcard.contains("Ida Olsen-Berg"));
        QCOMPARE(remove(s, card, fetched.first().etag), Written::Stored);
        QCOMPARE(remove(s, card, fetched.first().etag), Written::Gone);
        QVERIFY2(!s.error, s.error ? qPrintable(s.said()) : "");
    }

    // A token brings only what changed since; cards come down in batches of many.
    void syncTokenBringsOnlyChanges_data() { findsAddressBooksFromServerOrCollection_data(); }
    void syncTokenBringsOnlyChanges() {
        QFETCH(QString, kind);
        Session s(account());
        const QUrl book = bookOf(kind);
        const auto first = list(s, book, QString());
        QVERIFY(first);
        QVERIFY(!first->syncToken.isEmpty());
        QStringList added;
        for (int i = 0; i < 5; ++i) {
            const QUrl card = book.resolved(QUrl(QStringLiteral("tok-%1.vcf").arg(i)));
            QCOMPARE(put(s, card, vcard(QStringLiteral("t%1").arg(i), QStringLiteral("Person %1").arg(i)), {})
                         .first,
                     Written::Stored);
            added << card.path();
        }
        const auto changes = list(s, book, first->syncToken);
        QVERIFY(changes);
        QVERIFY(!changes->whole);
        QStringList hrefs;
        for (const auto& ref : changes->cards)
            hrefs << ref.href;
        hrefs.sort();
        QCOMPARE(hrefs, added);
        const int before = s.client.requestsSent();
        const auto cards = fetch(s, book, hrefs, 2);
        QCOMPARE(s.client.requestsSent() - before, 3);
        QCOMPARE(cards.size(), 5);
        QVERIFY(cards[4].vcard.contains("FN:Person") && !cards[4].etag.isEmpty());

        QByteArray etag0;
        for (const auto& card : cards)
            if (card.href == added.first())
                etag0 = card.etag;
        QCOMPARE(remove(s, book.resolved(QUrl(added.first())), etag0), Written::Stored);
        const auto removal = list(s, book, changes->syncToken);
        QVERIFY(removal);
        QVERIFY2(removal->removed == QStringList{added.first()}, qPrintable(removal->removed.join(" ")));
        QVERIFY(removal->cards.isEmpty());
        // A token the server never gave: everything again, not a failure.
        const auto restart = list(s, book, first->syncToken + QStringLiteral("-forgotten"));
        QVERIFY2(restart, s.error ? qPrintable(s.said()) : "");
        QVERIFY(restart->whole);
        QCOMPARE(restart->cards.size(), 4);
    }

    // Cards with photos larger together than a reply may be still come down, in smaller batches.
    void largeCardsComeInSmallerBatches() {
        dav::Connection c = account();
        c.maxReplyBytes = qint64(1) << 20;
        Session s(c);
        const QUrl book = radicale->url(QStringLiteral("/ida/work/"));
        const QByteArray photo = QByteArray(300 * 1024, 'Q').toBase64();
        QStringList hrefs;
        for (int i = 0; i < 4; ++i) {
            const QUrl card = book.resolved(QUrl(QStringLiteral("photo-%1.vcf").arg(i)));
            QByteArray data = vcard(QStringLiteral("p%1").arg(i), QStringLiteral("Photo %1").arg(i));
            data.insert(data.indexOf("END:VCARD"), "PHOTO;ENCODING=b;TYPE=JPEG:" + photo + "\r\n");
            QVERIFY2(put(s, card, data, {}).first == Written::Stored,
                     s.error ? qPrintable(s.said()) : "not stored");
            hrefs << card.path();
        }
        const int before = s.client.requestsSent();
        const auto cards = fetch(s, book, hrefs, 4);
        QVERIFY2(!s.error, s.error ? qPrintable(s.said()) : "");
        QCOMPARE(cards.size(), 4);
        QVERIFY(cards[3].vcard.contains(photo.left(1000)));
        QVERIFY(s.client.requestsSent() - before > 1);
    }

    void failuresNameTheServerAndWhatToDo_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("says");
        QTest::newRow("100 MB multistatus") << "/huge/" << int(dav::Problem::TooLarge) << "larger than 8 MB";
        QTest::newRow("chunks without end")
            << "/endless/207/chunked/" << int(dav::Problem::TooLarge) << "larger than 8 MB";
        QTest::newRow("malformed XML") << "/malformed/" << int(dav::Problem::BadReply) << "not well-formed";
        QTest::newRow("entity tricks") << "/entities/" << int(dav::Problem::BadReply) << "document type";
        QTest::newRow("slow server") << "/slow/" << int(dav::Problem::Idle) << "sent nothing for 2 seconds";
        QTest::newRow("redirect elsewhere")
            << "/redirect/" << int(dav::Problem::RedirectedAway) << "elsewhere.invalid";
        QTest::newRow("principal elsewhere")
            << "/elsewhere/" << int(dav::Problem::HrefAway) << "elsewhere.invalid";
        QTest::newRow("web page") << "/html/" << int(dav::Problem::NotDav) << "not as a CardDAV server";
        QTest::newRow("403") << "/status/403/" << int(dav::Problem::Forbidden)
                             << "ask the server's administrator";
        QTest::newRow("503") << "/status/503/" << int(dav::Problem::ServerFailed) << "Try again later";
        QTest::newRow("nothing listening") << "closed" << int(dav::Problem::Unreachable) << "cannot reach";
    }
    void failuresNameTheServerAndWhatToDo() {
        QFETCH(QString, path);
        QFETCH(int, number);
        QFETCH(QString, says);
        dav::Connection c = account();
        c.idleSeconds = 2;
        c.maxReplyBytes = qint64(8) << 20;
        Session s(c);
        QUrl url = hostile->url(path);
        if (path == QLatin1String("closed")) {
            quint16 port = 0;
            {
                QTcpServer gone; // a port that was free a moment ago and is closed again
                QVERIFY(gone.listen(QHostAddress::LocalHost, 0));
                port = gone.serverPort();
            }
            url = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port));
        }
        QVERIFY(!discover(s, url));
        QVERIFY(s.error);
        QVERIFY2(int(s.error->problem) == number, qPrintable(s.said()));
        QVERIFY2(s.said().contains(says), qPrintable(s.said()));
        QVERIFY2(s.said().contains(dav::serverName(url)), qPrintable(s.said()));
    }

    void wrongPasswordIsToldAsSuch() {
        Session s(account(QStringLiteral("wrong")));
        QVERIFY(!discover(s, radicale->url()));
        QVERIFY(s.error);
        QCOMPARE(s.error->problem, dav::Problem::Unauthorized);
        QVERIFY(s.said().contains(QLatin1String("password is wrong")));
    }

    // A failure in the middle of a fetch stops it with the reason; what came before was handed over.
    // Nothing is taken on a broken server's word: cards not asked for, a weak ETag.
    void brokenRepliesAreNotTakenAtTheirWord() {
        Session s(account());
        const auto batches = fetch(s, hostile->url(QStringLiteral("/batch500/")),
                                   {QStringLiteral("/batch500/a.vcf"), QStringLiteral("/batch500/b.vcf")}, 1);
        QCOMPARE(batches.size(), 1);
        QVERIFY(s.error);
        QCOMPARE(s.error->problem, dav::Problem::ServerFailed);

        Session t(account());
        const auto cards =
            fetch(t, hostile->url(QStringLiteral("/strangers/")), {QStringLiteral("/strangers/a.vcf")}, 10);
        QVERIFY(!t.error);
        QCOMPARE(cards.size(), 1);
        QCOMPARE(cards.first().href, QStringLiteral("/strangers/a.vcf"));

        // A server without sync reports is listed card by card with ETags, whole; the same sent in chunks, or
        // by a server that drops the connection the client meant to use again.
        for (const QString path : {"/nosync/", "/chunked/", "/dropping/"}) {
            const auto listing = list(t, hostile->url(path), QString());
            QVERIFY2(listing, t.error ? qPrintable(t.said()) : "");
            QVERIFY(listing->whole && listing->syncToken.isEmpty());
            QCOMPARE(listing->cards.size(), 1);
            QCOMPARE(listing->cards.first().etag, QByteArray("\"a1\""));
        }

        const auto [written, etag] = put(t, hostile->url(QStringLiteral("/weak/a.vcf")), vcard("a", "A"), {});
        QCOMPARE(written, Written::Stored);
        QVERIFY2(etag.isEmpty(), etag.constData());
    }

    void tlsNeedsATrustedAuthority() {
        QString why;
        const auto secure = DavServer::start(DavServer::Radicale, why, true);
        QVERIFY2(secure, qPrintable(why));
        Session untrusting(account());
        QVERIFY(!discover(untrusting, secure->url()));
        QVERIFY(untrusting.error);
        QCOMPARE(untrusting.error->problem, dav::Problem::Untrusted);
        QVERIFY2(untrusting.said().contains(QLatin1String("Quorvel Test CA")) &&
                     untrusting.said().contains(QLatin1String("--ca FILE")),
                 qPrintable(untrusting.said()));

        dav::Connection c = account();
        c.trusted = QSslCertificate::fromPath(secure->authorityFile());
        Session trusting(c);
        const auto books = discover(trusting, secure->url());
        QVERIFY2(books, trusting.error ? qPrintable(trusting.said()) : "");
        QCOMPARE(names(*books), (QStringList{"Contacts", "Work"}));
    }
};

QTEST_GUILESS_MAIN(CardDavTest)
#include "tst_carddav.moc"
