#pragma once

#include <QByteArrayView>
#include <QDate>

#include <optional>

namespace exchange {

// A date a card gives a contact: a birthday or an anniversary, whose year
// may be unknown (0).
struct CardDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The date of a BDAY or ANNIVERSARY value in any of vCard's forms:
// 1980-04-12, 19800412, --0412, --04-12, and 2.1 and 3.0 dates with a time
// after them. None for text, a month or a year alone, or no such day.
// `params` may hold the year a program writes for one it does not know
// (X-APPLE-OMIT-YEAR=1604).
std::optional<CardDate> readCardDate(QByteArrayView value, QByteArrayView params = {});

// The first date of `property` (BDAY or ANNIVERSARY) that a kept card holds.
std::optional<CardDate> keptCardDate(QByteArrayView kept, QByteArrayView property);

// When the date comes round next, on or after `today`; 29 February falls on
// 28 February in a common year.
QDate nextOccurrence(const CardDate& date, QDate today);

} // namespace exchange
