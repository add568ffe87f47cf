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
    : sameName_(db, QStringLiteral("SELECT %1 FROM PHONEDIR WHERE Name = ?1 COLLATE NOCASE").arg(columns())),
      noName_(db, QStringLiteral("SELECT %1 FROM PHONEDIR WHERE Name IS NULL OR Name = '' COLLATE NOCASE")
                      .arg(columns())),
      insert_(
          db,
          QStringLiteral("INSERT INTO PHONEDIR (%1) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)").arg(columns())) {}

bool PhoneBookImport::add(const Card& card) {
    for (int f = 0; f < FieldCount; ++f)
        utf8_[size_t(f)] = card[size_t(f)].toUtf8();
    data::Statement& find = card[Name].isEmpty() ? noName_ : sameName_;
    find.reset();
    if (!card[Name].isEmpty())
        find.bindUnowned(1, utf8_[Name]);
    bool found = false;
    // A NULL field reads as an empty one, as the window shows it.
    while (!found && find.step())
        found = readCard(find) == card;
    find.reset();
    if (found)
        return false;
    insert_.reset();
    for (int f = 0; f < FieldCount; ++f)
        insert_.bindUnowned(f + 1, utf8_[size_t(f)]);
    insert_.step();
    insert_.reset();
    return true;
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
