#include "exchange/PhoneBookTransfer.h"

#include "exchange/CardWriter.h"

#include <QStringList>

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

qint64 exportContacts(const data::Database& db, CardWriter& writer) {
    data::Statement all(
        db, QStringLiteral("SELECT %1 FROM PHONEDIR ORDER BY Name COLLATE NOCASE, rowid").arg(columns()));
    qint64 written = 0;
    while (all.step()) {
        writer.write(readCard(all));
        ++written;
    }
    writer.flush();
    return written;
}

qint64 countContacts(const data::Database& db) {
    data::Statement count(db, QStringLiteral("SELECT count(*) FROM PHONEDIR"));
    count.step();
    return count.integer(0);
}

} // namespace exchange
