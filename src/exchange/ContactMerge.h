#pragma once

#include "exchange/Card.h"

#include <QList>

namespace exchange {

// Several contacts made one: the first's fields, each empty one taken from
// the first of the others that has it; and every property of every card
// (numbers, e-mails, addresses, notes) on the first's card, but for a repeat
// of one already there (a number in another writing, an e-mail in another
// case) and for what a card holds once (name, birthday, photo), which the
// first keeps when it has one. The result keeps the first's id; its card
// reads back as its fields.
Card mergeContacts(const QList<Card>& contacts, const QString& homeRegion);

} // namespace exchange
