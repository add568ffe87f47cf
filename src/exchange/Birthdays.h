#pragma once

#include "platform/data/Sqlite.h"

#include <QDate>
#include <QList>
#include <QString>

namespace exchange {

// A contact's birthday or anniversary as it comes round.
struct Occasion {
    QDate on;
    QString name;
    int years = 0; // the age turned, or the years since; 0 when the card gives no year
};

// The birthdays (or anniversaries) the kept cards give, from `today` to
// `days` days after it, soonest first, then by name.
QList<Occasion> upcomingDates(const data::Database& db, QDate today, int days, bool anniversaries);

} // namespace exchange
