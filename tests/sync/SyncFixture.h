#pragma once

// Books syncing through a real CardDAV server, run through quorvel-book.
#include "BookProcess.h"
#include "DavServer.h"
#include "support/PhoneBookFile.h"
#include "sync/dav/Client.h"

#include <QTemporaryDir>
#include <QTest>

namespace testing::sync {
namespace phonebook = testing::phonebook;
using testing::Contact;
using testing::DavServer;

using testing::Result;
using testing::runBook;

inline QList<Contact> sorted(QList<Contact> contacts) {
    std::sort(contacts.begin(), contacts.end());
    return contacts;
}

inline Contact person(const QString& name, const QString& phone, const QString& email = {}) {
    return {name, "", phone, "", "", email, ""};
}

inline const QString Quiet =
    QStringLiteral("down 0 new, 0 changed, 0 deleted; up 0 new, 0 changed, 0 deleted.");

// Books in a temporary folder of their own.
struct BookFolder {
    QTemporaryDir dir;
    QString bookFile(const QString& name) const { return dir.filePath(name + QStringLiteral(".mdb")); }
};

// A server and the books that sync with it.
struct Setup {
    std::unique_ptr<DavServer> server;
    QUrl collection;
    QString addressBook;

    static Setup start(DavServer::Kind kind) {
        QString why;
        Setup s;
        s.server = DavServer::start(kind, why);
        if (!s.server)
            qFatal("%s", qPrintable(why));
        s.addressBook =
            kind == DavServer::Radicale ? QStringLiteral("contacts") : QStringLiteral("addressbook");
        s.collection = kind == DavServer::Radicale
                           ? s.server->url(QStringLiteral("/ida/contacts/"))
                           : s.server->url(QStringLiteral("/user/contacts/addressbook/"));
        return s;
    }

    bool connect(const QString& book) const {
        const Result r = runBook({"--book", book, "sync", "--setup", server->url().toString(), "--user",
                                  "ida", "--password-stdin", "--addressbook", addressBook},
                                 "Olsen-7Kq\n");
        if (r.code != 0)
            qWarning("%s", qPrintable(r.err));
        return r.code == 0;
    }

    dav::Connection connection() const {
        dav::Connection c;
        c.user = QStringLiteral("ida");
        c.password = QStringLiteral("Olsen-7Kq");
        return c;
    }

    // Every card on the server, as it is stored there.
    QList<dav::FetchedCard> cards() const {
        bool failed = false, done = false;
        QList<dav::FetchedCard> all;
        dav::Client client(connection(), [&](const dav::Error&) { failed = true; });
        client.list(collection, {}, [&](const dav::Listing& l) {
            QStringList hrefs;
            for (const dav::CardRef& c : l.cards)
                hrefs << c.href;
            client.fetch(
                collection, hrefs, [&](const QList<dav::FetchedCard>& batch) { all << batch; },
                [&] { done = true; });
        });
        if (!QTest::qWaitFor([&] { return failed || done; }, 120000) || failed)
            qWarning("could not read the server's cards");
        return all;
    }

    // A card stored as a phone would, new or over the one of `etag`.
    bool put(const QString& name, const QByteArray& vcard, const QByteArray& etag = {}) const {
        bool failed = false, done = false;
        dav::Written written = dav::Written::Conflict;
        dav::Client client(connection(), [&](const dav::Error&) { failed = true; });
        client.put(collection.resolved(QUrl(name)), vcard, etag, [&](dav::Written w, QByteArray) {
            written = w;
            done = true;
        });
        return QTest::qWaitFor([&] { return failed || done; }, 30000) && written == dav::Written::Stored;
    }
};

inline Result sync(const QString& book, const QStringList& more = {}) {
    return runBook(QStringList{"--book", book, "sync"} + more);
}

#define SYNCED(book)                                                                                         \
    do {                                                                                                     \
        const Result r_ = sync(book);                                                                        \
        QVERIFY2(r_.code == 0, qPrintable(r_.out + r_.err));                                                 \
    } while (false)

} // namespace testing::sync
