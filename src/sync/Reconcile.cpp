#include "sync/Reconcile.h"

#include "book/ContactIds.h"
#include "exchange/ConflictCopy.h"
#include "exchange/FieldChoice.h"
#include "exchange/VCardReader.h"
#include "sync/CardText.h"
#include "sync/Merge.h"

namespace carddav {
namespace {
using exchange::Card;
enum { Added, Changed, Deleted };

const Fields& fieldsOf(const Card& card) { return card; }

class Reconciler {
public:
    Reconciler(SyncedBook& book, const ServerView& server, const QString& collection, Tally& tally)
        : book_(book), server_(server), collection_(collection), tally_(tally) {}

    Plan run() {
        const QList<Link> links = book_.links.values();
        for (const Link& link : links) {
            linkedHere_.insert(link.href);
            settle(link);
        }
        matchNewOnServer();
        for (const Card& card : book_.contacts)
            if (!book_.links.contains(card.uid))
                plan_.pushes << Push{Push::Add, card.uid, hrefFor(collection_, card.uid), {}};
        return std::move(plan_);
    }

private:
    // A contact both sides knew at the last sync.
    void settle(const Link& link) {
        const auto local = book_.contacts.constFind(link.uid);
        const bool here = local != book_.contacts.constEnd();
        // As the book took the card's fields (a fax in Phone, from before numbers were chosen by type).
        const Fields base = here ? exchange::givenBy(link.agreed, *local).fields
                                 : exchange::VCardReader::fieldsOf(link.agreed);
        const bool changedHere = here && fieldsOf(*local) != base;
        const bool gone =
            server_.removed.contains(link.href) || (server_.whole && !server_.listed.contains(link.href));
        const auto theirs = server_.fetched.constFind(link.href);

        if (gone) {
            unlink(link.uid);
            if (changedHere) // the change wins: it goes up again as a new card
                ++tally_.keptAgainstDelete;
            else if (here) {
                removeContact(link.uid);
                ++tally_.down[Deleted];
            }
        } else if (theirs != server_.fetched.constEnd()) {
            const QByteArray etag = server_.fetchedEtags.value(link.href);
            Card card = *theirs;
            card.uid = link.uid;
            if (here) // a number or address that only moved within the card stays the book's
                static_cast<Fields&>(card) = exchange::givenBy(card.kept, *local).fields;
            if (!here && fieldsOf(card) == base && theirs->kept == link.agreed) {
                // Only its ETag was new to us (a server that gave none for our store): the delete goes on.
                plan_.pushes << Push{Push::Remove, link.uid, link.href, etag};
                ++plan_.serverDeletes;
                return;
            }
            if (!here) {
                ++tally_.keptAgainstDelete; // deleted here, changed there: back it comes
                putContact(card);
            } else if (!changedHere) {
                if (fieldsOf(card) != fieldsOf(*local) || card.kept != local->kept)
                    ++tally_.down[Changed];
                putContact(card);
            } else {
                merge(*local, base, card, etag, link.href);
            }
            setLink(Link{link.uid, link.href, etag, theirs->kept});
        } else if (!here) {
            plan_.pushes << Push{Push::Remove, link.uid, link.href, link.etag};
            ++plan_.serverDeletes;
        } else if (changedHere && !link.etag.isEmpty()) {
            plan_.pushes << Push{Push::Change, link.uid, link.href, link.etag};
        }
    }

    // The book's fields merged with the server's card; what the merge took
    // from the book goes up again.
    void merge(const Card& local, const Fields& base, Card theirs, const QByteArray& etag,
               const QString& href, bool keptGrew = false) {
        QList<Conflict> conflicts;
        const Fields merged = mergeFields(base, local, theirs, conflicts);
        if (merged != fieldsOf(local))
            ++tally_.down[Changed];
        const Card server = theirs;
        static_cast<Fields&>(theirs) = merged;
        theirs.uid = local.uid;
        putContact(theirs);
        if (merged != fieldsOf(server) || keptGrew)
            plan_.pushes << Push{Push::Change, local.uid, href, etag};
        if (!conflicts.isEmpty())
            copyOf(server);
    }

    // The server's side of a conflict, its whole card, as a contact of its
    // own beside the one that kept the book's values: nothing either side
    // typed is lost.
    void copyOf(const Card& server) {
        const Card copy = exchange::conflictCopy(server, book::newContactId());
        tally_.copies << copy[exchange::Name];
        putContact(copy);
    }

    void matchNewOnServer() {
        // Contacts no sync has linked yet, by name, for the first-sync match.
        QHash<QString, QStringList> unlinked;
        for (const Card& card : book_.contacts)
            if (!book_.links.contains(card.uid))
                unlinked[card[exchange::Name].trimmed().toCaseFolded()] << card.uid;
        for (auto it = server_.fetched.constBegin(); it != server_.fetched.constEnd(); ++it) {
            if (linkedHere_.contains(it.key()))
                continue;
            const Card& theirs = it.value();
            QStringList& named = unlinked[theirs[exchange::Name].trimmed().toCaseFolded()];
            const QString uid = findMatch(theirs, it.key(), named);
            if (!uid.isEmpty()) {
                named.removeOne(uid);
                link(book_.contacts.value(uid), theirs, it.key());
                continue;
            }
            Card card = theirs;
            if (card.uid.isEmpty() || book_.contacts.contains(card.uid))
                card.uid = book::newContactId();
            putContact(card);
            setLink(Link{card.uid, it.key(), server_.fetchedEtags.value(it.key()), theirs.kept});
            ++tally_.down[Added];
        }
    }

    // An unlinked contact that is this card: the one stored from it by a
    // sync whose answer was lost (same UID or name on the server), else the
    // same person.
    QString findMatch(const Card& theirs, const QString& href, const QStringList& named) const {
        if (!theirs.uid.isEmpty() && book_.contacts.contains(theirs.uid) && !book_.links.contains(theirs.uid))
            return theirs.uid;
        for (const QString& uid : named)
            if (hrefFor(collection_, uid) == href || samePerson(book_.contacts.value(uid), theirs))
                return uid;
        return {};
    }

    void link(const Card& local, const Card& theirs, const QString& href) {
        const QByteArray etag = server_.fetchedEtags.value(href);
        ++tally_.matched;
        QString uid = local.uid;
        // The card keeps the id other devices know it by, when no contact has it.
        if (!theirs.uid.isEmpty() && theirs.uid != uid && !book_.contacts.contains(theirs.uid)) {
            removeContact(uid, false);
            uid = theirs.uid;
        }
        Card mine = local;
        mine.uid = uid;
        Card joined = theirs;
        joined.kept = joinKept(theirs.kept, local.kept);
        merge(mine, commonGround(mine, theirs), joined, etag, href, joined.kept != theirs.kept);
        setLink(Link{uid, href, etag, theirs.kept});
    }

    void putContact(const Card& card) {
        book_.contacts.insert(card.uid, card);
        plan_.book << [card](SyncedBook& b) { b.putContact(card); };
    }
    void removeContact(const QString& uid, bool deleted = true) {
        book_.contacts.remove(uid);
        plan_.bookDeletes += deleted ? 1 : 0;
        plan_.book << [uid](SyncedBook& b) { b.removeContact(uid); };
    }
    void setLink(const Link& link) {
        book_.links.insert(link.uid, link);
        plan_.book << [link](SyncedBook& b) { b.putLink(link); };
    }
    void unlink(const QString& uid) {
        book_.links.remove(uid);
        plan_.book << [uid](SyncedBook& b) { b.dropLink(uid); };
    }

    SyncedBook& book_;
    const ServerView& server_;
    const QString collection_;
    Tally& tally_;
    Plan plan_;
    QSet<QString> linkedHere_;
};
} // namespace

Plan reconcile(SyncedBook& book, const ServerView& server, const QString& collectionPath, Tally& tally) {
    return Reconciler(book, server, collectionPath, tally).run();
}

} // namespace carddav
