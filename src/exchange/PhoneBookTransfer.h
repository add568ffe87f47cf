#pragma once

#include "exchange/Card.h"
#include "platform/data/Sqlite.h"

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
    std::array<QByteArray, FieldCount> utf8_; // the card's fields, bound until the statements are reset
    data::Statement sameName_;
    data::Statement noName_;
    data::Statement insert_;
};

// Writes every contact in name order; returns how many.
qint64 exportContacts(const data::Database& db, CardWriter& writer);
qint64 countContacts(const data::Database& db);

} // namespace exchange
