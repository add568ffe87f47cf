#pragma once

#include "exchange/Card.h"

#include <QByteArrayList>

namespace exchange {

// A contact's properties as vCard 4.0 lines, unfolded, without BEGIN,
// VERSION, UID and END: from its fields, and from the card it came from
// when it did. Read back, they give exactly the contact's fields: a kept
// property that would read back otherwise is left behind for its field's
// own value.
QByteArrayList cardLines(const Card& card);

} // namespace exchange
