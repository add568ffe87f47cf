#pragma once

#include "exchange/Card.h"
#include "platform/data/Sqlite.h"

#include <QList>
#include <QStringList>

namespace exchange {

// Probable duplicates as merge lists them: why they are one, and the
// contacts (their fields and ids), by name.
struct DuplicateGroup {
    QString reason;
    QList<Card> contacts;
};

// Every group of probable duplicates in the book, by the name of each
// group's first. Contacts without an id get one first (ids the merge is then
// given by), in one transaction of their own.
QList<DuplicateGroup> findDuplicates(data::Database& db, const QString& homeRegion);

// The contacts of these ids with their kept cards, in the order given;
// throws platform::Error (err::NoCurrentRecord) naming an id no contact has.
QList<Card> contactsById(const data::Database& db, const QStringList& ids);

// The merged contact stored over the one of its id, and the contacts of
// `gone` deleted with their cards (kept in the book's trash), in one
// transaction: all or nothing.
// What the last sync left of them stays, so the next sync deletes their
// cards on the server.
void storeMerge(data::Database& db, const Card& merged, const QStringList& gone);

} // namespace exchange
