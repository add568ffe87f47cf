#include "book/ContactIds.h"

#include "book/Schema.h"
#include "platform/data/Columns.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <vector>

namespace book {

QString newContactId() {
    // Version 7 of RFC 9562: 48 bits of milliseconds, then random bits.
    thread_local QRandomGenerator64 random(QRandomGenerator::system()->generate64());
    const quint64 ms = quint64(QDateTime::currentMSecsSinceEpoch());
    const quint64 high = (ms << 16) | 0x7000 | (random.generate() & 0x0FFF);
    const quint64 low = (random.generate64() & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
    // Written out by hand: an import makes one per card, and QUuid's text
    // and the concatenation cost more than the rest of the id.
    static constexpr char Hex[] = "0123456789abcdef";
    char text[] = "urn:uuid:xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx";
    qsizetype at = 9;
    for (int i = 0; i < 16; ++i) {
        const quint64 half = i < 8 ? high : low;
        const uint byte = uint(half >> (56 - 8 * (i % 8))) & 0xFF;
        if (i == 4 || i == 6 || i == 8 || i == 10)
            ++at; // past a dash
        text[at++] = Hex[byte >> 4];
        text[at++] = Hex[byte & 0xF];
    }
    return QString::fromLatin1(text, at);
}

bool lacksContactIds(const data::Database& db) {
    data::Statement probe(
        db, QStringLiteral("SELECT 1 FROM %1 WHERE %2 IS NULL LIMIT 1")
                .arg(data::quoteIdentifier(book::table()), data::quoteIdentifier(QLatin1String(IdField))));
    return probe.step();
}

qint64 assignContactIds(data::Database& db) {
    const QString table = data::quoteIdentifier(book::table());
    const QString id = data::quoteIdentifier(QLatin1String(IdField));
    // Found a batch at a time, then given: updating while walking the same
    // index would meet the rows again, and a batch keeps memory flat.
    data::Statement find(db,
                         QStringLiteral("SELECT rowid FROM %1 WHERE %2 IS NULL LIMIT 4096").arg(table, id));
    data::Statement give(db, QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE rowid = ?2").arg(table, id));
    qint64 given = 0;
    std::vector<qint64> batch;
    do {
        batch.clear();
        {
            const data::Run run(find);
            while (find.step())
                batch.push_back(find.integer(0));
        }
        for (const qint64 rowid : batch) {
            const data::Run run(give);
            give.bind(1, newContactId()).bind(2, rowid);
            give.step();
        }
        given += qint64(batch.size());
    } while (!batch.empty());
    return given;
}

} // namespace book
