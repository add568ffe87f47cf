#pragma once

#include "exchange/Card.h"
#include "exchange/NameFilter.h"
#include "platform/data/Sqlite.h"

#include <QStringEncoder>

#include <optional>

namespace exchange {

class CardWriter;

// Adds contacts to an open phone book inside the caller's transaction,
// leaving out any contact already there with the same seven fields.
class PhoneBookImport {
public:
    explicit PhoneBookImport(const data::Database& db);
    // False when an equal contact is already in the phone book.
    bool add(const Card& card);

private:
    bool isThere(const Card& card);
    void considerFilter();

    const data::Database& db_;
    // The card's fields, bound until the statements are reset; kept from card
    // to card so that their memory is reused.
    std::array<QByteArray, FieldCount> utf8_;
    QByteArray uid_;
    QStringEncoder toUtf8_{QStringEncoder::Utf8, QStringEncoder::Flag::Stateless};
    data::Statement sameName_;
    data::Statement noName_;
    data::Statement insert_;
    data::Statement keep_;
    // Every name in the book once loaded; then a card it has not seen is new without a lookup.
    std::optional<NameFilter> names_;
    qint64 cards_ = 0;
    qint64 nextCheck_ = 0;
};

// What an export wrote, and of a damaged book what it could not read.
struct Exported {
    qint64 written = 0;
    QString damage; // SQLite's words when the book is damaged
    // Contacts that could not be read: exactly, at most, or not known.
    enum class Count { Exact, AtMost, Unknown };
    qint64 unreadable = 0;
    Count unreadableCount = Count::Exact;
};

// Writes every contact in name order, with its id (given first to each
// contact that has none, where the book can be written) and the card it
// came from. Of a damaged book it writes every contact it can still read,
// in the same order.
Exported exportContacts(data::Database& db, CardWriter& writer);
qint64 countContacts(const data::Database& db);

} // namespace exchange
