#include "exchange/DamagedBook.h"

#include "book/Schema.h"
#include "exchange/CardWriter.h"
#include "platform/data/Columns.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace exchange {
namespace {
constexpr qint64 FirstRowid = std::numeric_limits<qint64>::min();
constexpr qint64 LastRowid = std::numeric_limits<qint64>::max();
// The lowest rowid a contact gets: rowids below it, which only another
// program can give, are not counted as passed over.
constexpr qint64 FirstGivenRowid = 1;

// How many rowids lie from `from` up to `to`, `to` left out; none when `to`
// is not past `from`. Unsigned: two rowids can be further apart than a
// qint64 counts.
quint64 rowidsBetween(qint64 from, qint64 to) { return to > from ? quint64(to) - quint64(from) : 0; }

QString table() { return QStringLiteral("main.") + data::quoteIdentifier(book::table()); }
QString orderField() { return data::quoteIdentifier(book::orderField()); }
QString idField() { return data::quoteIdentifier(QLatin1String(book::IdField)); }
QString fields() { return data::columnList(book::fieldNames()); }

// Whether the table reads from rowid `at` on: every seek into a damaged
// page fails, and the probe reads what the copy reads.
bool readsFrom(data::Statement& probe, qint64 at) {
    const data::Run run(probe);
    probe.bind(1, at);
    try {
        probe.step();
        return true;
    } catch (const platform::Error& e) {
        if (!isDamage(e))
            throw;
        return false;
    }
}

// The first rowid past `bad` from which the table reads again: leaps that
// double, then halving back to the damaged part's end. Nothing when no
// rowid does.
std::optional<qint64> readableAfter(data::Statement& probe, qint64 bad) {
    qint64 good = bad;
    for (quint64 leap = 1;; leap *= 2) {
        good = rowidsBetween(bad, LastRowid) <= leap ? LastRowid : qint64(quint64(bad) + leap);
        if (readsFrom(probe, good))
            break;
        if (good == LastRowid)
            return std::nullopt;
        bad = good;
    }
    while (rowidsBetween(bad, good) > 1) {
        const qint64 middle = qint64(quint64(bad) + rowidsBetween(bad, good) / 2);
        (readsFrom(probe, middle) ? good : bad) = middle;
    }
    return good;
}

// Copies every row the table still gives into a temporary table, passing
// over its damaged parts; returns how many rowids it passed over, nothing
// when nothing past a damaged part reads again.
std::optional<qint64> copyReadable(const data::Database& db, bool withIds) {
    const QString id = withIds ? QStringLiteral(", ") + idField() : QString();
    data::Statement(
        db, QStringLiteral("CREATE TEMP TABLE readable (rid INTEGER PRIMARY KEY, %1%2)").arg(fields(), id))
        .step();
    const QString read = QStringLiteral("SELECT %1, rowid%2 FROM %3 WHERE rowid >= ?1 ORDER BY rowid")
                             .arg(fields(), id, table());
    data::Statement scan(db, read);
    data::Statement probe(db, read + QStringLiteral(" LIMIT 1"));
    data::Statement insert(
        db, QStringLiteral("INSERT INTO temp.readable VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8%1)")
                .arg(withIds ? QStringLiteral(", ?9") : QString()));
    qint64 from = FirstRowid;
    quint64 passedOver = 0;
    const auto told = [&passedOver] { return qint64(std::min<quint64>(passedOver, LastRowid)); };
    for (;;) {
        try {
            const data::Run run(scan);
            scan.bind(1, from);
            while (scan.step()) {
                const data::Run row(insert);
                insert.bind(1, scan.integer(RowidColumn));
                for (int f = 0; f < FieldCount; ++f)
                    scan.isNull(f) ? insert.bindNull(f + 2) : insert.bindUnowned(f + 2, scan.utf8(f));
                if (withIds)
                    scan.isNull(IdColumn) ? insert.bindNull(9) : insert.bindUnowned(9, scan.utf8(IdColumn));
                insert.step();
                from = scan.integer(RowidColumn);
                if (from == LastRowid) // no row can follow it
                    return told();
                ++from;
            }
            return told();
        } catch (const platform::Error& e) {
            if (!isDamage(e))
                throw;
        }
        const std::optional<qint64> again = readableAfter(probe, from);
        if (!again)
            return std::nullopt;
        // A damaged first page is counted from the first rowid a contact gets.
        passedOver += rowidsBetween(from == FirstRowid ? FirstGivenRowid : from, *again);
        from = *again;
    }
}

// How many contacts the name index lists: it may be whole where the table
// is not. A bare count(*) would go through whichever index is smallest (the
// ids'), whatever INDEXED BY says.
std::optional<qint64> countThroughIndex(const data::Database& db) {
    try {
        data::Statement count(db, QStringLiteral("SELECT count(%2 IS NULL) FROM %1 INDEXED BY %3")
                                      .arg(table(), orderField(), data::quoteIdentifier(book::orderIndex())));
        count.step();
        return count.integer(0);
    } catch (const platform::Error&) {
        return std::nullopt;
    }
}

// The card kept with contact `id`, or none when its page is damaged too:
// the contact then goes out with its seven fields.
QByteArray keptCard(data::Statement& find, const QString& id) {
    if (id.isEmpty())
        return {};
    try {
        const data::Run run(find);
        find.bind(1, id);
        return find.step() ? find.blob(0) : QByteArray();
    } catch (const platform::Error& e) {
        if (!isDamage(e))
            throw;
        return {};
    }
}
} // namespace

void exportReadable(const data::Database& db, CardWriter& writer, const ExportKey& last, bool withIds,
                    Exported& result) {
    std::optional<qint64> passedOver;
    try {
        passedOver = copyReadable(db, withIds);
        data::Statement rest(
            db, QStringLiteral("SELECT %1, rid%3 FROM temp.readable WHERE ?1 = 0 OR CASE WHEN ?2 IS NULL "
                               "THEN %2 IS NOT NULL OR rid > ?3 ELSE %2 > ?2 COLLATE NOCASE OR "
                               "(%2 = ?2 COLLATE NOCASE AND rid > ?3) END "
                               "ORDER BY %2 COLLATE NOCASE, rid")
                    .arg(fields(), orderField(), withIds ? QStringLiteral(", ") + idField() : QString()));
        std::optional<data::Statement> find;
        if (withIds)
            find.emplace(db, QStringLiteral("SELECT Card FROM main.%1 WHERE %2 = ?1")
                                 .arg(data::quoteIdentifier(QLatin1String(book::CardsTable)), idField()));
        rest.bind(1, qint64(last.any));
        last.nullName ? rest.bindNull(2) : rest.bind(2, last.name);
        rest.bind(3, last.rowid);
        while (rest.step()) {
            Card card;
            data::readTexts(rest, 0, card);
            if (withIds) {
                card.uid = rest.text(IdColumn);
                card.kept = keptCard(*find, card.uid);
            }
            writer.write(card);
            ++result.written;
        }
    } catch (const platform::Error& e) {
        if (!isDamage(e))
            throw; // the schema itself cannot be read: what was written stays
    }
    if (const std::optional<qint64> listed = countThroughIndex(db)) {
        result.unreadable = qMax<qint64>(0, *listed - result.written);
    } else if (passedOver) {
        result.unreadable = *passedOver;
        result.unreadableCount = *passedOver == 0 ? Exported::Count::Exact : Exported::Count::AtMost;
    } else {
        result.unreadableCount = Exported::Count::Unknown;
    }
}

} // namespace exchange
