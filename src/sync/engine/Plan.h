#pragma once

#include "sync/engine/SyncedBook.h"

#include <QHash>
#include <QList>
#include <QSet>

namespace engine {

// What a change does to a contact, on either side; what travelled is counted by it.
enum class Change { Added, Changed, Deleted };

struct Counts {
    int added = 0;
    int changed = 0;
    int deleted = 0;

    int& operator[](Change c) {
        return c == Change::Added ? added : c == Change::Changed ? changed : deleted;
    }
    int operator[](Change c) const { return const_cast<Counts&>(*this)[c]; }
    int total() const { return added + changed + deleted; }
    Counts& operator+=(const Counts& o) {
        added += o.added;
        changed += o.changed;
        deleted += o.deleted;
        return *this;
    }
    bool operator==(const Counts&) const = default;
};

// A contact that went one way, by the name the user knows it by.
struct Travelled {
    Change change;
    QString name;
};

// One change of the book; a plan's all go in one transaction.
struct BookStep {
    enum Kind { PutContact, RemoveContact, PutLink, DropLink };
    Kind kind;
    Change change = Change::Changed; // of a contact: what the user sees happen to it
    exchange::Card card;             // the contact put, or the one removed as it was
    Link link;                       // the link put; its uid alone for DropLink
    bool counted = false;            // a contact come down, deleted or changed, as the user counts them
};

// One change of the server.
struct Push {
    Change change;
    QString uid;
    QString href;
    QByteArray etag;     // the card's on the server (none to add)
    exchange::Card card; // what goes up; a deleted one's fields as last agreed
};

// What the server holds, as far as this sync has asked.
struct ServerView {
    bool whole = true;                      // `listed` is every card, else only those changed since the token
    QHash<QString, QByteArray> listed;      // path -> ETag
    QSet<QString> removed;                  // paths gone since the token
    QHash<QString, exchange::Card> fetched; // path -> card, of those new or changed
    QHash<QString, QByteArray> fetchedEtags;
    qint64 size = 0;       // cards on the server
    qint64 unreadable = 0; // cards fetched that could not be read, left on the server
};

// One sync's decisions, as data: the book's changes, then the server's, and
// what they amount to.
struct Plan {
    QList<BookStep> book;
    QList<Push> pushes;
    Counts down;               // what the book's contacts go through
    int matched = 0;           // the same person on both sides, linked
    int keptAgainstDelete = 0; // deleted on one side, changed on the other: kept
    QStringList copies;        // names of the conflict copies made

    Counts up() const {
        Counts n;
        for (const Push& p : pushes)
            ++n[p.change];
        return n;
    }
};

} // namespace engine
