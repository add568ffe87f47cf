#include "exchange/PhoneBookTransfer.h"

#include "exchange/CardWriter.h"

#include "platform/core/Error.h"

#include <QStringList>

#include <limits>
#include <optional>

namespace exchange {
namespace {
QString columns() {
    QStringList names;
    for (const char* name : FieldNames)
        names << QLatin1String(name);
    return names.join(QLatin1String(", "));
}

Card readCard(const data::Statement& st) {
    Card card;
    for (int f = 0; f < FieldCount; ++f)
        card[size_t(f)] = st.text(f);
    return card;
}
} // namespace

// Both lookups go through the Name index (NOCASE), so checking a card costs
// one index probe however big the phone book is.
PhoneBookImport::PhoneBookImport(const data::Database& db)
    : db_(db),
      sameName_(db, QStringLiteral("SELECT %1 FROM PHONEDIR WHERE Name = ?1 COLLATE NOCASE").arg(columns())),
      noName_(db, QStringLiteral("SELECT %1 FROM PHONEDIR WHERE Name IS NULL OR Name = '' COLLATE NOCASE")
                      .arg(columns())),
      insert_(
          db,
          QStringLiteral("INSERT INTO PHONEDIR (%1) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)").arg(columns())) {}

bool PhoneBookImport::add(const Card& card) {
    for (int f = 0; f < FieldCount; ++f) {
        QByteArray& utf8 = utf8_[size_t(f)];
        utf8.resize(toUtf8_.requiredSpace(card[size_t(f)].size()));
        utf8.truncate(toUtf8_.appendToBuffer(utf8.data(), card[size_t(f)]) - utf8.constData());
        if (f == Name && names_)
            names_->prefetch(utf8); // a cache miss, overlapped with the other fields' conversion
    }
    considerFilter();
    ++cards_;
    if ((!names_ || names_->mayHold(utf8_[Name])) && isThere(card))
        return false;
    insert_.reset();
    for (int f = 0; f < FieldCount; ++f)
        insert_.bindUnowned(f + 1, utf8_[size_t(f)]);
    insert_.step();
    insert_.reset();
    if (names_)
        names_->add(utf8_[Name]);
    return true;
}

bool PhoneBookImport::isThere(const Card& card) {
    data::Statement& find = card[Name].isEmpty() ? noName_ : sameName_;
    const data::Run run(find);
    if (!card[Name].isEmpty())
        find.bindUnowned(1, utf8_[Name]);
    // A NULL field reads as an empty one, as the window shows it.
    while (find.step())
        if (readCard(find) == card)
            return true;
    return false;
}

// A lookup walks down the Name index for every card; reading all the book's
// names into the filter costs about a twentieth of that per name. So they are
// read once the book holds at most a few names for each card offered so far:
// a small import into a big book never pays for it.
void PhoneBookImport::considerFilter() {
    constexpr qint64 NamesPerCard = 8;
    if (names_ || cards_ < nextCheck_)
        return;
    nextCheck_ = qMax<qint64>(2 * cards_, 1024);
    // Rows are at most the span of their rowids, which two index probes tell.
    data::Statement span(db_, QStringLiteral("SELECT coalesce((SELECT max(rowid) FROM PHONEDIR) - "
                                             "(SELECT min(rowid) FROM PHONEDIR) + 1, 0)"));
    span.step();
    if (span.integer(0) > NamesPerCard * qMax<qint64>(cards_, 1024))
        return;
    names_.emplace();
    data::Statement all(db_, QStringLiteral("SELECT Name FROM PHONEDIR"));
    while (all.step())
        names_->add(all.utf8(0)); // NULL as the empty name, as the lookup takes it
}

namespace {
constexpr int RowidColumn = FieldCount; // after the seven fields

bool isDamage(const platform::Error& e) { return e.number() == platform::err::Damaged; }

// Where an export in name order has got to.
struct Key {
    bool any = false;
    bool nullName = false;
    QString name;
    qint64 rowid = 0;
};

Key keyOf(const data::Statement& st) {
    return {true, st.isNull(Name), st.text(Name), st.integer(RowidColumn)};
}

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
    constexpr qint64 Last = std::numeric_limits<qint64>::max();
    qint64 good = bad;
    for (quint64 leap = 1;; leap *= 2) {
        good = quint64(Last - bad) < leap ? Last : bad + qint64(leap);
        if (readsFrom(probe, good))
            break;
        if (good == Last)
            return std::nullopt;
        bad = good;
    }
    while (quint64(good) - quint64(bad) > 1) {
        const qint64 middle = bad + qint64((quint64(good) - quint64(bad)) / 2);
        (readsFrom(probe, middle) ? good : bad) = middle;
    }
    return good;
}

// Copies every row the table still gives into a temporary table, passing
// over its damaged parts; returns the rowids passed over.
qint64 copyReadable(const data::Database& db) {
    data::Statement(db,
                    QStringLiteral("CREATE TEMP TABLE readable (rid INTEGER PRIMARY KEY, %1)").arg(columns()))
        .step();
    const QString read =
        QStringLiteral("SELECT %1, rowid FROM main.PHONEDIR WHERE rowid >= ?1 ORDER BY rowid").arg(columns());
    data::Statement scan(db, read);
    data::Statement probe(db, read + QStringLiteral(" LIMIT 1"));
    data::Statement insert(
        db, QStringLiteral("INSERT INTO temp.readable VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"));
    qint64 from = std::numeric_limits<qint64>::min();
    qint64 passedOver = 0;
    for (;;) {
        try {
            const data::Run run(scan);
            scan.bind(1, from);
            while (scan.step()) {
                const data::Run row(insert);
                insert.bind(1, scan.integer(RowidColumn));
                for (int f = 0; f < FieldCount; ++f)
                    scan.isNull(f) ? insert.bindNull(f + 2) : insert.bindUnowned(f + 2, scan.utf8(f));
                insert.step();
                from = scan.integer(RowidColumn) + 1;
            }
            return passedOver;
        } catch (const platform::Error& e) {
            if (!isDamage(e))
                throw;
        }
        const std::optional<qint64> again = readableAfter(probe, from);
        if (!again)
            return -1;
        passedOver += *again - from;
        from = *again;
    }
}

// How many contacts the Name index lists: it may be whole where the table is not.
std::optional<qint64> countThroughIndex(const data::Database& db) {
    try {
        data::Statement count(db, QStringLiteral("SELECT count(*) FROM main.PHONEDIR INDEXED BY Name"));
        count.step();
        return count.integer(0);
    } catch (const platform::Error&) {
        return std::nullopt;
    }
}

// The rest of an export that met a damaged page: every contact still
// readable that comes after `last` in name order.
void exportReadable(const data::Database& db, CardWriter& writer, const Key& last, Exported& result) {
    qint64 passedOver = -1;
    try {
        passedOver = copyReadable(db);
        data::Statement rest(
            db, QStringLiteral("SELECT %1, rid FROM temp.readable WHERE ?1 = 0 OR CASE WHEN ?2 IS NULL "
                               "THEN Name IS NOT NULL OR rid > ?3 ELSE Name > ?2 COLLATE NOCASE OR "
                               "(Name = ?2 COLLATE NOCASE AND rid > ?3) END "
                               "ORDER BY Name COLLATE NOCASE, rid")
                    .arg(columns()));
        rest.bind(1, qint64(last.any));
        last.nullName ? rest.bindNull(2) : rest.bind(2, last.name);
        rest.bind(3, last.rowid);
        while (rest.step()) {
            writer.write(readCard(rest));
            ++result.written;
        }
    } catch (const platform::Error& e) {
        if (!isDamage(e))
            throw; // the schema itself cannot be read: what was written stays
    }
    if (const std::optional<qint64> listed = countThroughIndex(db)) {
        result.unreadable = qMax<qint64>(0, *listed - result.written);
    } else if (passedOver >= 0) {
        result.unreadable = passedOver;
        result.unreadableCount = passedOver == 0 ? Exported::Count::Exact : Exported::Count::AtMost;
    } else {
        result.unreadableCount = Exported::Count::Unknown;
    }
}
} // namespace

Exported exportContacts(const data::Database& db, CardWriter& writer) {
    Exported result;
    Key last;
    try {
        data::Statement all(
            db, QStringLiteral("SELECT %1, rowid FROM PHONEDIR ORDER BY Name COLLATE NOCASE, rowid")
                    .arg(columns()));
        while (all.step()) {
            writer.write(readCard(all));
            last = keyOf(all);
            ++result.written;
        }
    } catch (const platform::Error& e) {
        if (!isDamage(e))
            throw;
        result.damage = e.description();
        exportReadable(db, writer, last, result);
    }
    writer.flush();
    return result;
}

qint64 countContacts(const data::Database& db) {
    data::Statement count(db, QStringLiteral("SELECT count(*) FROM PHONEDIR"));
    count.step();
    return count.integer(0);
}

} // namespace exchange
