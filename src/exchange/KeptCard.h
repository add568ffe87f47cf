#pragma once

#include "exchange/Card.h"

#include <QByteArray>

#include <functional>

namespace exchange {

// The properties that give the phone book's fields their values; the name
// has two.
enum class Slot { FN, N, Org, Phone, Mobile, Adr, Email, Url };
inline constexpr int SlotCount = 8;
Field fieldOf(Slot slot);

// The next line of kept lines, which LF, CR or CR LF end.
QByteArrayView takeLine(QByteArrayView& rest);

// The vCard version a kept card goes out in: its own, but 2.1 (never valid
// on a server) becomes 3.0; a card that names none, 4.0.
QByteArray versionFor(QByteArrayView kept);

// Writes the card a contact came from back out as property lines of
// versionFor(card.kept): every property the phone book has no field for
// goes out as it came (its UID too while it is the contact's id), and so
// does each field's own property while the
// field still holds what the card gave it. A changed field is written by
// fromField in its property's place (given the property's group prefix,
// "item1.", and its parameters as that version writes them), so that it is
// the one a reader takes; one the card had no property for, at the end.
// Every property of a dropped field stays behind. True when no field has
// changed and every property went out as it came, so that the lines read
// as the card did.
bool writeKeptCard(const Card& card, const book::PerField<bool>& dropped,
                   const std::function<void(Slot, QByteArrayView group, QByteArrayView params)>& fromField,
                   const std::function<void(const QByteArray&)>& line);

} // namespace exchange
