#pragma once

#include "book/Schema.h"

#include <QString>

namespace exchange {

// A contact's seven fields, in the phone book's column order; the field
// names are also the CSV header.
using book::Field;
using enum book::Field;
using book::FieldNames;
using Fields = book::PerField<QString>;

// A contact as it goes in or out: its fields, its own id when it has one,
// and the card it came from (its logical lines, unfolded), when it did.
struct Card : Fields {
    QString uid;
    QByteArray kept;
    int aside = 0; // properties or columns kept that have no field in the window
};

inline bool isEmpty(const Card& card) {
    for (const QString& value : card)
        if (!value.isEmpty())
            return false;
    return true;
}

} // namespace exchange
