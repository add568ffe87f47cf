// Any bytes as the kept card a birthday is read from: every date it gives
// is a real day, and comes round within a year of any day, never a crash or
// a hang.
#include "exchange/CardDates.h"

#include <QByteArrayView>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView kept(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const char* property : {"BDAY", "ANNIVERSARY"}) {
        const std::optional<exchange::CardDate> date = exchange::keptCardDate(kept, property);
        if (!date)
            continue;
        if (date->year != 0 && !QDate(date->year, date->month, date->day).isValid())
            std::abort();
        for (const QDate today : {QDate(2027, 3, 1), QDate(2028, 2, 29), QDate(2026, 12, 31)}) {
            const QDate next = exchange::nextOccurrence(*date, today);
            if (!next.isValid() || next < today || next > today.addYears(1))
                std::abort();
        }
    }
    // The value alone, as a property's value with parameters before it.
    const qsizetype colon = kept.indexOf(':');
    if (colon >= 0)
        (void)exchange::readCardDate(kept.sliced(colon + 1), kept.first(colon));
    return 0;
}
