#include "exchange/Birthdays.h"

#include "book/Schema.h"
#include "exchange/CardDates.h"
#include "platform/data/Columns.h"

#include <algorithm>

namespace exchange {

QList<Occasion> upcomingDates(const data::Database& db, QDate today, int days, bool anniversaries) {
    using data::quoteIdentifier;
    const QByteArrayView property = anniversaries ? "ANNIVERSARY" : "BDAY";
    const QDate last = today.addDays(days);
    data::Statement st(
        db, QStringLiteral("SELECT p.%1, k.Card FROM %2 AS k JOIN %3 AS p ON p.%4 = k.%4")
                .arg(quoteIdentifier(book::orderField()), quoteIdentifier(QLatin1String(book::CardsTable)),
                     quoteIdentifier(book::table()), quoteIdentifier(QLatin1String(book::IdField))));
    QList<Occasion> found;
    while (st.step()) {
        const std::optional<CardDate> date = keptCardDate(st.bytes(1), property);
        if (!date)
            continue;
        const QDate on = nextOccurrence(*date, today);
        if (on > last)
            continue;
        found << Occasion{on, st.text(0), date->year > 0 ? on.year() - date->year : 0};
    }
    std::sort(found.begin(), found.end(), [](const Occasion& a, const Occasion& b) {
        return a.on != b.on ? a.on < b.on : a.name.toCaseFolded() < b.name.toCaseFolded();
    });
    return found;
}

} // namespace exchange
