#pragma once

#include "exchange/KeptCard.h"
#include "exchange/VCardProperty.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

namespace exchange {

// The field a property may give its value to, and how strongly it claims
// it: the lowest rank wins, and of equal ranks the first in the card.
struct Claim {
    Slot slot;
    int rank = 0;
};

// A number goes to Mobile when it is a cell phone, else to Phone; a
// preferred one (or e-mail, or web page) before the others, then for Phone
// a home number before a work number before any other. A fax, pager,
// textphone, modem or video number claims nothing: dialing it reaches no
// one to talk to.
std::optional<Claim> claimOf(vcard::Kind kind, const vcard::Params& params);

// For each slot, the logical line of a kept card that gives it its value
// (as the reader chooses), or -1. Lines count from 0 as takeLine gives them.
std::array<qsizetype, SlotCount> chosenLines(QByteArrayView kept);

// What a kept card gave a contact's fields, and the line that gave each
// slot. A number, e-mail or web page field holding the value of another
// line of its kind than the one chosen was given by that line: the book
// keeps what it had when another program only reorders a card's numbers,
// and a book filled before numbers were chosen by type (a fax in Phone)
// keeps its card as it came.
struct Given {
    Card fields;
    std::array<qsizetype, SlotCount> lines;
};
Given givenBy(QByteArrayView kept, const Fields& held);

} // namespace exchange
