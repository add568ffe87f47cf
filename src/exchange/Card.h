#pragma once

#include <QString>

#include <array>

namespace exchange {

// The seven fields of a contact, in the phone book's column order.
enum Field { Name, Company, Phone, Address, Mobile, Email, WebPage, FieldCount };

using Card = std::array<QString, FieldCount>;

// Column names of the phone book, which are also the CSV header.
inline constexpr std::array<const char*, FieldCount> FieldNames = {"Name",   "Company", "Phone",  "Address",
                                                                   "Mobile", "Email",   "WebPage"};

inline bool isEmpty(const Card& card) {
    for (const QString& value : card)
        if (!value.isEmpty())
            return false;
    return true;
}

} // namespace exchange
