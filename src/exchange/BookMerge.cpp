#include "exchange/BookMerge.h"

#include "book/ContactIds.h"
#include "book/Schema.h"
#include "book/Trash.h"
#include "exchange/Duplicates.h"
#include "platform/core/Error.h"
#include "platform/data/Columns.h"

#include <algorithm>

namespace exchange {
namespace {
using data::quoteIdentifier;

QString table() { return quoteIdentifier(book::table()); }
QString idField() { return quoteIdentifier(QLatin1String(book::IdField)); }
QString cards() { return quoteIdentifier(QLatin1String(book::CardsTable)); }

Likeness likeness(const Card& card) {
    return {card[Name], card[Company], card[Phone], card[Mobile], card[Email]};
}

QString nameOrder(const Card& card) { return card[Name].toCaseFolded(); }
bool byName(const Card& a, const Card& b) {
    const QString x = nameOrder(a), y = nameOrder(b);
    return x != y ? x < y : a.uid < b.uid;
}

void byId(data::Database& db, const QString& sql, const QString& uid) {
    data::Statement st(db, sql);
    st.bind(1, uid);
    st.step();
}
} // namespace

QList<DuplicateGroup> findDuplicates(data::Database& db, const QString& homeRegion) {
    if (book::lacksContactIds(db))
        db.transaction([&] { book::assignContactIds(db); });
    // One pass keeps only the rowids and the index of keys; the few contacts
    // in groups are read again whole.
    DuplicateFinder finder(homeRegion);
    std::vector<qint64> rowids;
    {
        data::Statement all(
            db, QStringLiteral("SELECT rowid, Name, Company, Phone, Mobile, Email FROM %1").arg(table()));
        QList<Likeness> batch;
        while (all.step()) {
            rowids.push_back(all.integer(0));
            batch.append({all.text(1), all.text(2), all.text(3), all.text(4), all.text(5)});
            if (batch.size() == 8192) {
                finder.add(batch);
                batch.clear();
            }
        }
        finder.add(batch);
    }
    data::Statement one(db, QStringLiteral("SELECT %1, %2 FROM %3 WHERE rowid = ?1")
                                .arg(data::columnList(book::fieldNames()), idField(), table()));
    QList<DuplicateGroup> groups;
    for (const QList<qsizetype>& members : finder.groups()) {
        DuplicateGroup group;
        for (const qsizetype i : members) {
            const data::Run run(one);
            one.bind(1, rowids[size_t(i)]);
            if (!one.step())
                continue;
            Card card;
            data::readTexts(one, 0, static_cast<Fields&>(card));
            card.uid = one.text(FieldCount);
            group.contacts << std::move(card);
        }
        std::sort(group.contacts.begin(), group.contacts.end(), byName);
        QList<Likeness> likenesses;
        for (const Card& card : std::as_const(group.contacts))
            likenesses << likeness(card);
        group.reason = groupReason(likenesses, homeRegion);
        if (!group.reason.isEmpty())
            groups << std::move(group);
    }
    std::sort(groups.begin(), groups.end(), [](const DuplicateGroup& a, const DuplicateGroup& b) {
        return byName(a.contacts.first(), b.contacts.first());
    });
    return groups;
}

QList<Card> contactsById(const data::Database& db, const QStringList& ids) {
    data::Statement st(db, QStringLiteral("SELECT %1, k.Card FROM %2 AS p LEFT JOIN %3 AS k ON k.%4 = p.%4 "
                                          "WHERE p.%4 = ?1")
                               .arg(data::columnList(book::fieldNames()), table(), cards(), idField()));
    QList<Card> found;
    for (const QString& id : ids) {
        const data::Run run(st);
        st.bind(1, id);
        if (!st.step())
            throw platform::Error(platform::err::NoCurrentRecord,
                                  QStringLiteral("no contact has the id %1").arg(id));
        Card card;
        data::readTexts(st, 0, static_cast<Fields&>(card));
        card.uid = id;
        card.kept = st.blob(FieldCount);
        found << std::move(card);
    }
    return found;
}

void storeMerge(data::Database& db, const Card& merged, const QStringList& gone) {
    db.transaction([&] {
        QStringList sets;
        for (int f = 0; f < FieldCount; ++f)
            sets << QStringLiteral("%1 = ?%2").arg(quoteIdentifier(book::fieldName(f))).arg(f + 2);
        data::Statement update(
            db, QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?1").arg(table(), sets.join(u','), idField()));
        update.bind(1, merged.uid);
        for (int f = 0; f < FieldCount; ++f)
            update.bind(f + 2, merged[size_t(f)]);
        update.step();
        data::Statement keep(
            db,
            QStringLiteral("INSERT OR REPLACE INTO %1 (%2, Card) VALUES (?1, ?2)").arg(cards(), idField()));
        keep.bind(1, merged.uid).bindBlob(2, merged.kept);
        keep.step();
        for (const QString& uid : gone) {
            book::trashContact(db, uid, book::DeletedBy::Merge);
            byId(db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(table(), idField()), uid);
            byId(db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(cards(), idField()), uid);
        }
    });
}

} // namespace exchange
