#pragma once

#include "book/Schema.h"
#include "platform/data/Sqlite.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

// The book's trash (version 4 on): contacts a sync or a merge deleted, kept
// with their fields and card for TrashDays days, by their own id.
namespace book {

enum class DeletedBy {
    SyncFromServer, // deleted on the server, so the sync removed it here
    SyncToServer,   // deleted here, so the sync deleted its card on the server
    Merge,          // merged into another contact
};

// The words a user reads for why a contact is in the trash.
QString deletedByText(DeletedBy why);

struct Trashed {
    QString id;
    PerField<QString> fields;
    QByteArray card; // the card kept with it, as the book keeps cards; empty for none
    QDateTime deleted;
    QString why; // as deletedByText says
};

// Inside the caller's transaction. A contact deleted again replaces what the
// trash held of it.
// The contact of `id` as the book holds it now (fields and kept card), before it is deleted.
void trashContact(data::Database& db, const QString& id, DeletedBy why);
// A contact the book holds no more, as it was.
void trashCard(data::Database& db, const Trashed& contact, DeletedBy why);

// What the trash holds of the last TrashDays days, newest first.
std::vector<Trashed> trashed(const data::Database& db);

// Puts the contact of `id` back into the book with its fields and card, in
// one transaction, as one no sync has seen: the next sync stores it on the
// server again. Throws platform::Error: NoCurrentRecord when the trash holds
// no such id, DuplicateKey when the book has a contact of that id.
Trashed restore(data::Database& db, const QString& id);

// Drops what was deleted more than TrashDays days ago: one probe when there
// is nothing to drop. A book that cannot be written now keeps it until later.
void dropExpiredTrash(data::Database& db);

} // namespace book
