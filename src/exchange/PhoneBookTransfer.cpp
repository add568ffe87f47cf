#include "exchange/PhoneBookTransfer.h"

#include "book/ContactIds.h"
#include "book/Upgrade.h"
#include "exchange/CardWriter.h"
#include "exchange/DamagedBook.h"
#include "exchange/Progress.h"
#include "exchange/WriteBehind.h"
#include "platform/core/Error.h"
#include "platform/data/Columns.h"

#include <QStringList>

namespace exchange {
namespace {
QString table() { return data::quoteIdentifier(book::table()); }
QString orderField() { return data::quoteIdentifier(book::orderField()); }
QString idField() { return data::quoteIdentifier(QLatin1String(book::IdField)); }
QString cardsTable() { return data::quoteIdentifier(QLatin1String(book::CardsTable)); }

// "SELECT <the seven fields> FROM <the table> ", and the rest of the query.
QString selectCards(const QString& rest) {
    return QStringLiteral("SELECT %1 FROM %2 %3").arg(data::columnList(book::fieldNames()), table(), rest);
}

Card readCard(const data::Statement& st) {
    Card card;
    data::readTexts(st, 0, card);
    return card;
}
} // namespace

// Both lookups go through the Name index (NOCASE), so checking a card costs
// one index probe however big the phone book is.
PhoneBookImport::PhoneBookImport(const data::Database& db)
    : db_(db), sameName_(db, selectCards(QStringLiteral("WHERE %1 = ?1 COLLATE NOCASE").arg(orderField()))),
      noName_(db,
              selectCards(QStringLiteral("WHERE %1 IS NULL OR %1 = '' COLLATE NOCASE").arg(orderField()))),
      insert_(db, QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")
                      .arg(table(), data::columnList(book::fieldNames()), idField())),
      // A card left behind by a contact that the window deleted since gives way.
      keep_(db, QStringLiteral("INSERT OR REPLACE INTO %1 (%2, Card) VALUES (?1, ?2)")
                    .arg(cardsTable(), idField())) {}

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
    // A card keeps the id it came with, unless a contact of the book has it
    // already; a card kept beside its contact needs an id now, others get
    // theirs when first needed.
    const bool keep = !card.kept.isEmpty();
    uid_ = (card.uid.isEmpty() && keep ? book::newContactId() : card.uid).toUtf8();
    if (uid_.isEmpty())
        insert_.bindNull(FieldCount + 1);
    else
        insert_.bindUnowned(FieldCount + 1, uid_);
    try {
        insert_.step();
    } catch (const platform::Error& error) {
        if (error.cause() != platform::err::DuplicateKey || uid_.isEmpty())
            throw;
        uid_ = keep ? book::newContactId().toUtf8() : QByteArray();
        if (keep)
            insert_.bindUnowned(FieldCount + 1, uid_);
        else
            insert_.bindNull(FieldCount + 1);
        insert_.step();
    }
    insert_.reset();
    if (keep) {
        const data::Run run(keep_);
        keep_.bindUnowned(1, uid_);
        keep_.bindBlob(2, card.kept);
        keep_.step();
    }
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
        if (static_cast<const Fields&>(readCard(find)) == card)
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
    data::Statement span(db_, QStringLiteral("SELECT coalesce((SELECT max(rowid) FROM %1) - "
                                             "(SELECT min(rowid) FROM %1) + 1, 0)")
                                  .arg(table()));
    span.step();
    if (span.integer(0) > NamesPerCard * qMax<qint64>(cards_, 1024))
        return;
    names_.emplace();
    data::Statement all(db_, QStringLiteral("SELECT %1 FROM %2").arg(orderField(), table()));
    while (all.step())
        names_->add(all.utf8(0)); // NULL as the empty name, as the lookup takes it
}

namespace {
// Gives each contact without an id its own before they go out. A book that
// cannot be written now, or is damaged, goes out without new ids: they are
// given at a later export.
void giveIds(data::Database& db) {
    try {
        if (book::lacksContactIds(db))
            db.transaction([&] { book::assignContactIds(db); });
    } catch (const platform::Error& error) {
        if (!book::cannotWriteNow(error) && !isDamage(error))
            throw;
    }
}
} // namespace

Exported exportContacts(data::Database& db, CardWriter& writer) {
    // A book that could not be brought up to date (read-only) goes out without ids.
    const bool withIds = book::versionOf(db) >= 1;
    if (withIds && !db.isReadOnly())
        giveIds(db);
    Exported result;
    // Where the export has got to, kept as bytes: a string made for every row
    // would slow the reading thread, the slower of the two.
    QByteArray lastName;
    bool lastNull = false;
    qint64 lastRowid = 0;
    WriteBehind behind(writer, withIds);
    try {
        const QString order = QStringLiteral("ORDER BY %1 COLLATE NOCASE, p.rowid").arg(orderField());
        data::Statement all(
            db, withIds
                    ? QStringLiteral("SELECT %1, p.rowid, p.%2, k.Card FROM %3 AS p LEFT JOIN %4 AS k ON "
                                     "k.%2 = p.%2 %5")
                          .arg(data::columnList(book::fieldNames()), idField(), table(), cardsTable(), order)
                    : QStringLiteral("SELECT %1, p.rowid FROM %2 AS p %3")
                          .arg(data::columnList(book::fieldNames()), table(), order));
        Progress progress("exporting", countContacts(db));
        while (all.step()) {
            progress.update(result.written, result.written);
            behind.write(all);
            const QByteArrayView name = all.utf8(Name);
            lastName.resize(name.size());
            std::copy(name.begin(), name.end(), lastName.begin());
            lastNull = !name.data();
            lastRowid = all.integer(RowidColumn);
            ++result.written;
        }
        behind.finish();
    } catch (const platform::Error& e) {
        if (!isDamage(e))
            throw;
        result.damage = e.description();
        behind.finish(); // the cards before the damage, then those after it
        const ExportKey last{result.written > 0, lastNull, lastNull ? QString() : QString::fromUtf8(lastName),
                             lastRowid};
        exportReadable(db, writer, last, withIds, result);
    }
    writer.flush();
    return result;
}

qint64 countContacts(const data::Database& db) {
    // Counted in the table itself: the index of ids may be whole where the
    // contacts are damaged, and a damaged book is told at once.
    data::Statement count(db, QStringLiteral("SELECT count(*) FROM %1 NOT INDEXED").arg(table()));
    count.step();
    return count.integer(0);
}

} // namespace exchange
