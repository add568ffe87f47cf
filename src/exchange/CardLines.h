#pragma once

#include "exchange/Card.h"

#include <QByteArrayList>

namespace exchange {

// The vCard version a contact goes out in: its card's own (3.0 for a 2.1
// card), else 4.0.
QByteArray cardVersion(const Card& card);

// A contact's properties as lines of cardVersion, unfolded, without BEGIN,
// VERSION and END (and UID unless the card held the contact's in its own
// place): from its fields, and from the card it came from
// when it did. Read back, they give exactly the contact's fields: a kept
// property that would read back otherwise is left behind for its field's
// own value.
QByteArrayList cardLines(const Card& card);

} // namespace exchange
