#pragma once

#include "exchange/Card.h"
#include "platform/data/Sqlite.h"

#include <QHash>

#include <functional>

namespace engine {

// What the last sync left for one contact: where its card is on the server,
// that card's ETag, and the card both sides agreed on (its lines as kept).
struct Link {
    QString uid;
    QString href; // the path on the server, percent-encoded
    QByteArray etag;
    QByteArray agreed;
};

// The book's contacts and what the last sync left, in memory.
struct BookState {
    QHash<QString, exchange::Card> contacts; // by id
    QHash<QString, Link> links;              // by contact id
    QString token;                           // the server's sync token of the last sync
    bool syncedBefore = false;               // with this collection
};

struct BookStep;

// The phone book as a sync sees it. Every contact has an id once loaded
// (stored with the first change); changes go in one transaction at a time.
class SyncedBook : public BookState {
public:
    // Opens the book, bringing it up to date; throws platform::Error.
    explicit SyncedBook(const QString& path);

    // Reads every contact with its kept card, and what the last sync with
    // `collection` left (nothing, when the book last synced with another).
    void load(const QString& collection);

    // A copy of the book beside it, under a name no file has yet; returns it.
    QString backUp(const QString& path);
    void transaction(const std::function<void()>& work) { db_.transaction(work); }

    // Inside a transaction:
    void apply(const BookStep& step);
    void putContact(const exchange::Card& card); // added, or changed by its id
    void removeContact(const QString& uid);
    void putLink(const Link& link);
    void dropLink(const QString& uid);
    // The first store of a sync: gives the contacts that had none the ids
    // they were loaded with, and starts over when `collection` is not the
    // one synced with before (every link of another one goes).
    void setCollection(const QString& collection, const QString& token);

private:
    void setState(const QString& name, const QString& value);
    // Deletes the row of `uid` from the table `from` (quoted), through statement `slot`.
    void byId(int slot, const QString& from, const QString& uid);

    data::Database db_;
    QList<std::pair<qint64, QString>> newIds_; // rowid, id given at loading
    data::StatementCache statements_{db_};
};

} // namespace engine
