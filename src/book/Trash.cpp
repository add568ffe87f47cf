#include "book/Trash.h"

#include "book/Upgrade.h"
#include "platform/core/Error.h"
#include "platform/data/Columns.h"

namespace book {
namespace {
using data::quoteIdentifier;
using platform::Error;
namespace err = platform::err;

QString q(const char* name) { return quoteIdentifier(QLatin1String(name)); }
QString fields() { return data::columnList(fieldNames()); }

// Seconds in UTC: sorts as text in time order.
QString stamp(const QDateTime& at) { return at.toUTC().toString(Qt::ISODate); }
QString cutoff() { return stamp(QDateTime::currentDateTimeUtc().addDays(-TrashDays)); }

// "?3, ?4, ..." for the seven fields from slot `first` on.
QString fieldSlots(int first) {
    QStringList marks;
    for (int f = 0; f < FieldCount; ++f)
        marks << QStringLiteral("?%1").arg(first + f);
    return marks.join(QLatin1String(", "));
}

void byId(data::Database& db, const QString& sql, const QString& id) {
    data::Statement st(db, sql);
    st.bind(1, id);
    st.step();
}
} // namespace

QString deletedByText(DeletedBy why) {
    switch (why) {
    case DeletedBy::SyncFromServer:
        return QStringLiteral("sync from server");
    case DeletedBy::SyncToServer:
        return QStringLiteral("sync to server");
    case DeletedBy::Merge:
        break;
    }
    return QStringLiteral("merge");
}

void trashContact(data::Database& db, const QString& id, DeletedBy why) {
    data::Statement keep(db, QStringLiteral("INSERT OR REPLACE INTO %1 (%2, %3, Card, Deleted, Why) "
                                            "SELECT p.%2, %4, k.Card, ?2, ?3 FROM %5 p "
                                            "LEFT JOIN %6 k ON k.%2 = p.%2 WHERE p.%2 = ?1")
                                 .arg(q(TrashTable), q(IdField), fields(),
                                      QStringLiteral("p.") + fieldNames().join(QLatin1String(", p.")),
                                      q(Table), q(CardsTable)));
    keep.bind(1, id).bind(2, stamp(QDateTime::currentDateTimeUtc())).bind(3, deletedByText(why));
    keep.step();
}

void trashCard(data::Database& db, const Trashed& contact, DeletedBy why) {
    data::Statement keep(db, QStringLiteral("INSERT OR REPLACE INTO %1 (%2, Card, Deleted, Why, %3) "
                                            "VALUES (?1, ?2, ?3, ?4, %4)")
                                 .arg(q(TrashTable), q(IdField), fields(), fieldSlots(5)));
    keep.bind(1, contact.id).bind(3, stamp(QDateTime::currentDateTimeUtc())).bind(4, deletedByText(why));
    if (contact.card.isEmpty())
        keep.bindNull(2);
    else
        keep.bindBlob(2, contact.card);
    for (int f = 0; f < FieldCount; ++f)
        keep.bind(5 + f, contact.fields[size_t(f)]);
    keep.step();
}

namespace {
Trashed readTrashed(const data::Statement& st) {
    Trashed t;
    t.id = st.text(0);
    for (int f = 0; f < FieldCount; ++f)
        t.fields[size_t(f)] = st.text(1 + f);
    t.card = st.blob(FieldCount + 1);
    t.deleted = QDateTime::fromString(st.text(FieldCount + 2), Qt::ISODate);
    t.why = st.text(FieldCount + 3);
    return t;
}

QString selectTrashed() {
    return QStringLiteral("SELECT %1, %2, Card, Deleted, Why FROM %3 ")
        .arg(q(IdField), fields(), q(TrashTable));
}
} // namespace

std::vector<Trashed> trashed(const data::Database& db) {
    std::vector<Trashed> all;
    if (versionOf(db) < 4)
        return all; // a book no program with a trash has written to
    // Entries past their days are left out even where the book could not be written to drop them.
    data::Statement list(db, selectTrashed() +
                                 QStringLiteral("WHERE Deleted >= ?1 ORDER BY Deleted DESC, rowid DESC"));
    list.bind(1, cutoff());
    while (list.step())
        all.push_back(readTrashed(list));
    return all;
}

Trashed restore(data::Database& db, const QString& id) {
    Trashed t;
    db.transaction([&] {
        {
            data::Statement find(db, selectTrashed() + QStringLiteral("WHERE %1 = ?1").arg(q(IdField)));
            find.bind(1, id);
            if (!find.step())
                throw Error(err::NoCurrentRecord,
                            QStringLiteral("the trash holds no contact of the id %1 (it keeps "
                                           "them %2 days; quorvel-book deleted lists those it holds)")
                                .arg(id)
                                .arg(TrashDays));
            t = readTrashed(find);
        }
        {
            data::Statement there(db,
                                  QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?1").arg(q(Table), q(IdField)));
            there.bind(1, id);
            if (there.step())
                throw Error(err::DuplicateKey,
                            QStringLiteral("the phone book has a contact of the id %1 already; the one in "
                                           "the trash was left there")
                                .arg(id));
        }
        data::Statement put(db, QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?1, %4)")
                                    .arg(q(Table), q(IdField), fields(), fieldSlots(2)));
        put.bind(1, id);
        for (int f = 0; f < FieldCount; ++f)
            put.bind(2 + f, t.fields[size_t(f)]);
        put.step();
        if (!t.card.isEmpty()) {
            data::Statement keep(db, QStringLiteral("INSERT OR REPLACE INTO %1 (%2, Card) VALUES (?1, ?2)")
                                         .arg(q(CardsTable), q(IdField)));
            keep.bind(1, id).bindBlob(2, t.card);
            keep.step();
        }
        // Known to the server no more: the next sync takes it for new here and stores it there.
        byId(db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(q(SyncedTable), q(IdField)), id);
        byId(db, QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(q(TrashTable), q(IdField)), id);
    });
    return t;
}

void dropExpiredTrash(data::Database& db) {
    if (db.isReadOnly() || versionOf(db) < 4)
        return;
    const QString before = cutoff();
    {
        data::Statement probe(
            db, QStringLiteral("SELECT 1 FROM %1 WHERE Deleted < ?1 LIMIT 1").arg(q(TrashTable)));
        probe.bind(1, before);
        if (!probe.step())
            return;
    }
    try {
        db.transaction([&] {
            data::Statement drop(db, QStringLiteral("DELETE FROM %1 WHERE Deleted < ?1").arg(q(TrashTable)));
            drop.bind(1, before);
            drop.step();
        });
    } catch (const Error& error) {
        if (!cannotWriteNow(error))
            throw;
    }
}

} // namespace book
