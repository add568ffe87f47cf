#include "sync/engine/SyncedBook.h"

#include "book/ContactIds.h"
#include "book/Schema.h"
#include "book/Trash.h"
#include "book/Upgrade.h"
#include "platform/data/Columns.h"
#include "sync/engine/Plan.h"

#include <QDir>
#include <QFileInfo>

namespace engine {
namespace {
using data::quoteIdentifier;

QString table() { return quoteIdentifier(book::table()); }
QString idField() { return quoteIdentifier(QLatin1String(book::IdField)); }
QString cards() { return quoteIdentifier(QLatin1String(book::CardsTable)); }
QString synced() { return quoteIdentifier(QLatin1String(book::SyncedTable)); }
QString state() { return quoteIdentifier(QLatin1String(book::SyncStateTable)); }

enum Slot { Update, Insert, Keep, Unkeep, Remove, PutLink, DropLink, SetState };

QString stateValue(const data::Database& db, const char* name) {
    data::Statement st(db, QStringLiteral("SELECT Value FROM %1 WHERE Name = ?1").arg(state()));
    st.bind(1, QLatin1String(name));
    return st.step() ? st.text(0) : QString();
}
} // namespace

SyncedBook::SyncedBook(const QString& path) : db_(book::open(path, book::Upgrade::Required)) {
    // The window may be storing a contact meanwhile: wait for it rather than fail.
    db_.setWaitForLocks(true);
}

void SyncedBook::load(const QString& collection) {
    contacts.clear();
    links.clear();
    newIds_.clear();
    data::Statement all(
        db_, QStringLiteral("SELECT %1, p.%2, k.Card, p.rowid FROM %3 AS p LEFT JOIN %4 AS k ON k.%2 = p.%2")
                 .arg(data::columnList(book::fieldNames()), idField(), table(), cards()));
    while (all.step()) {
        exchange::Card card;
        data::readTexts(all, 0, static_cast<exchange::Fields&>(card));
        card.uid = all.text(exchange::FieldCount);
        card.kept = all.blob(exchange::FieldCount + 1);
        // A contact added by the window or another tool gets its id with the
        // sync's first store: a sync that fails before leaves the book as it was.
        if (card.uid.isEmpty()) {
            card.uid = book::newContactId();
            newIds_.append({all.integer(exchange::FieldCount + 2), card.uid});
        }
        contacts.insert(card.uid, card);
    }
    syncedBefore = stateValue(db_, "collection") == collection;
    token = syncedBefore ? stateValue(db_, "token") : QString();
    if (!syncedBefore)
        return;
    data::Statement st(db_, QStringLiteral("SELECT %1, Href, Etag, Agreed FROM %2").arg(idField(), synced()));
    while (st.step()) {
        Link link{st.text(0), st.text(1), st.text(2).toUtf8(), st.blob(3)};
        links.insert(link.uid, link);
    }
}

QString SyncedBook::backUp(const QString& path) {
    const QFileInfo info(path);
    const QString base = info.dir().filePath(info.completeBaseName() + QStringLiteral(" before sync"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString copy = base + suffix;
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = QStringLiteral("%1 %2%3").arg(base).arg(n).arg(suffix);
    // VACUUM INTO refuses a file that is there already: a name taken meanwhile is never written over.
    data::Statement vacuum(db_, QStringLiteral("VACUUM INTO ?1"));
    vacuum.bind(1, copy);
    vacuum.step();
    return copy;
}

void SyncedBook::putContact(const exchange::Card& card) {
    // The fields bind as ?1..?N in their order, the id as ?N+1: both statements are made from the field list.
    const int idSlot = exchange::FieldCount + 1;
    auto bindFields = [&](data::Statement& st) {
        for (int f = 0; f < exchange::FieldCount; ++f)
            st.bind(f + 1, card[size_t(f)]);
        st.bind(idSlot, card.uid);
    };
    {
        data::Run update = statements_.get(Update, [idSlot] {
            QStringList sets;
            for (int f = 0; f < exchange::FieldCount; ++f)
                sets << QStringLiteral("%1 = ?%2").arg(quoteIdentifier(book::fieldName(f))).arg(f + 1);
            return QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?%4")
                .arg(table(), sets.join(u','), idField())
                .arg(idSlot);
        });
        bindFields(*update);
        update->step();
    }
    if (db_.changes() == 0) {
        data::Run insert = statements_.get(Insert, [idSlot] {
            QStringList marks;
            for (int slot = 1; slot <= idSlot; ++slot)
                marks << QStringLiteral("?%1").arg(slot);
            return QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (%4)")
                .arg(table(), data::columnList(book::fieldNames()), idField(), marks.join(u", "));
        });
        bindFields(*insert);
        insert->step();
    }
    if (card.kept.isEmpty()) {
        byId(Unkeep, cards(), card.uid);
        return;
    }
    data::Run keep = statements_.get(Keep, [] {
        return QStringLiteral("INSERT OR REPLACE INTO %1 (%2, Card) VALUES (?1, ?2)").arg(cards(), idField());
    });
    keep->bind(1, card.uid).bindBlob(2, card.kept);
    keep->step();
}

void SyncedBook::apply(const BookStep& step) {
    switch (step.kind) {
    case BookStep::PutContact:
        putContact(step.card);
        break;
    case BookStep::RemoveContact:
        // Deleted on the server: kept in the trash as the book had it, which is as the server last had it.
        if (step.change == Change::Deleted)
            book::trashContact(db_, step.card.uid, book::DeletedBy::SyncFromServer);
        removeContact(step.card.uid);
        break;
    case BookStep::PutLink:
        putLink(step.link);
        break;
    case BookStep::DropLink:
        // Deleted here, and now on the server at our word: its card as the server last had it.
        if (step.change == Change::Deleted)
            book::trashCard(db_, book::Trashed{step.link.uid, step.card, step.card.kept, {}, {}},
                            book::DeletedBy::SyncToServer);
        dropLink(step.link.uid);
        break;
    }
}

void SyncedBook::removeContact(const QString& uid) {
    byId(Remove, table(), uid);
    byId(Unkeep, cards(), uid);
}

void SyncedBook::byId(int slot, const QString& from, const QString& uid) {
    data::Run remove = statements_.get(std::size_t(slot), [&] {
        return QStringLiteral("DELETE FROM %1 WHERE %2 = ?1").arg(from, idField());
    });
    remove->bind(1, uid);
    remove->step();
}

void SyncedBook::putLink(const Link& link) {
    data::Run put = statements_.get(PutLink, [] {
        return QStringLiteral("INSERT OR REPLACE INTO %1 (%2, Href, Etag, Agreed) VALUES (?1, ?2, ?3, ?4)")
            .arg(synced(), idField());
    });
    put->bind(1, link.uid).bind(2, link.href).bind(3, QString::fromUtf8(link.etag)).bindBlob(4, link.agreed);
    put->step();
}

void SyncedBook::dropLink(const QString& uid) { byId(DropLink, synced(), uid); }

void SyncedBook::setCollection(const QString& collection, const QString& syncToken) {
    data::Statement give(
        db_, QStringLiteral("UPDATE %1 SET %2 = ?1 WHERE rowid = ?2 AND %2 IS NULL").arg(table(), idField()));
    for (const auto& [rowid, uid] : std::as_const(newIds_)) {
        const data::Run run(give);
        give.bind(1, uid).bind(2, rowid);
        give.step();
    }
    newIds_.clear();
    if (!syncedBefore)
        db_.exec(QStringLiteral("DELETE FROM %1").arg(synced()).toUtf8().constData());
    setState(QStringLiteral("collection"), collection);
    setState(QStringLiteral("token"), syncToken);
}

void SyncedBook::setState(const QString& name, const QString& value) {
    data::Run set = statements_.get(SetState, [] {
        return QStringLiteral("INSERT OR REPLACE INTO %1 (Name, Value) VALUES (?1, ?2)").arg(state());
    });
    set->bind(1, name).bind(2, value);
    set->step();
}

} // namespace engine
