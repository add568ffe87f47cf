#pragma once

#include "sync/SyncedBook.h"

#include <QSet>

#include <functional>
#include <optional>

namespace carddav {

// What the server holds, as far as this sync has asked.
struct ServerView {
    bool whole = true;                      // `listed` is every card, else only those changed since the token
    QHash<QString, QByteArray> listed;      // path -> ETag
    QSet<QString> removed;                  // paths gone since the token
    QHash<QString, exchange::Card> fetched; // path -> card, of those new or changed
    QHash<QString, QByteArray> fetchedEtags;
    qint64 size = 0; // cards on the server
};

// A change for the server.
struct Push {
    enum Kind { Add, Change, Remove } kind;
    QString uid;
    QString href;
    QByteArray etag; // the card's on the server (none to add)
};

// What travelled, for the summary.
struct Tally {
    int down[3] = {};          // added, changed, deleted in the book
    int up[3] = {};            // added, changed, deleted on the server
    int matched = 0;           // the same person on both sides, linked
    int keptAgainstDelete = 0; // deleted on one side, changed on the other: kept
    QStringList copies;        // names of the conflict copies made
};

// One sync's decisions: book changes (applied in one transaction), then the server's.
struct Plan {
    QList<std::function<void(SyncedBook&)>> book;
    QList<Push> pushes;
    int bookDeletes = 0;
    int serverDeletes = 0;
};

// Decides per contact what goes where, from what the book holds, what the
// last sync left and what the server says; the book's contacts and links in
// memory become what they will be once the plan is carried out.
Plan reconcile(SyncedBook& book, const ServerView& server, const QString& collectionPath, Tally& tally);

} // namespace carddav
