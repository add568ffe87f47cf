#pragma once

#include "exchange/Card.h"

#include <QByteArray>

#include <optional>

namespace engine {

// A card as a server sent it: its fields, UID and its lines kept; none when
// it cannot be read (servers hold what any client wrote).
std::optional<exchange::Card> readCard(const QByteArray& vcard);

// A contact as a card to store on the server, with its UID and every
// property of its kept card the book has no field for, in that card's
// version (see exchange::cardVersion).
QByteArray cardText(const exchange::Card& card);

// Where a contact the server has not seen yet is stored: a name made from its
// UID alone, so a store whose answer was lost is found again at the next sync.
QString hrefFor(const QString& collectionPath, const QString& uid);

} // namespace engine
