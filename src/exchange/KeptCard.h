#pragma once

#include "exchange/Card.h"

#include <QByteArray>

#include <functional>

namespace exchange {

// What the caller still writes from the book's fields after the kept card.
struct FromFields {
    book::PerField<bool> fields{}; // changed since the import, or the card gave nothing for it
    bool fnOnly = false;           // the name is as it came, but the card had no FN, which 4.0 needs
};

// Writes the card a contact came from back out as vCard 4.0 property lines:
// every property the phone book has no field for goes out as it came, and
// so does each field's own property while the field still holds what the
// card gave it.
FromFields writeKeptCard(const Card& card, const std::function<void(const QByteArray&)>& line);

} // namespace exchange
