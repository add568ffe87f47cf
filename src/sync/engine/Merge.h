#pragma once

#include "exchange/Card.h"

#include <QList>

namespace engine {

using exchange::Fields;

// A field both sides changed, each to its own value.
struct Conflict {
    exchange::Field field;
    QString server; // the server's value, which the merge leaves out
};

// Three-way merge of a contact's fields against the version both sides last
// agreed on (`base`; all empty when they never agreed): a field changed on
// one side takes that side's value; changed on both to different values, it
// keeps the book's and the server's goes into `conflicts`.
Fields mergeFields(const Fields& base, const Fields& book, const Fields& server, QList<Conflict>& conflicts);

// Whether a contact of the book and a card of the server are the same person
// before they were ever linked: the same name, and a phone number (digits
// alone compared) or e-mail address in common.
bool samePerson(const Fields& book, const Fields& server);

// What two sides that were never linked may be taken to have agreed on: each
// field both hold alike (a number however written, text in any case), so
// that the server's way of writing it is taken without a conflict.
Fields commonGround(const Fields& book, const Fields& server);

// The kept card of a contact found on both sides at a first sync: the
// server's, with the properties the book's kept card had and the server's
// lacks (a birthday, a note), when both are of one vCard version.
QByteArray joinKept(const QByteArray& server, const QByteArray& book);

} // namespace engine
