#include "sync/engine/Planner.h"

#include "book/ContactIds.h"
#include "exchange/ConflictCopy.h"
#include "exchange/FieldChoice.h"
#include "exchange/VCardReader.h"
#include "sync/engine/CardText.h"
#include "sync/engine/Merge.h"

namespace engine {
namespace {
using exchange::Card;

const Fields& fieldsOf(const Card& card) { return card; }

// A card deleted from the server, as both sides last knew it: so a plan names
// what it deletes, and the book's trash keeps the card as the server had it.
Card asAgreed(const Link& link, const Fields& fields) {
    Card card;
    static_cast<Fields&>(card) = fields;
    card.uid = link.uid;
    card.kept = link.agreed;
    return card;
}

// Whether a contact's card changed past its fields since both sides agreed
// on it (a merge joined another contact's e-mails and birthday to it): the
// card it would send now is not the agreed one. One that came from the
// server as it is needs no writing out to tell.
bool cardChanged(const Card& local, const QByteArray& agreed) {
    if (local.kept == agreed)
        return false;
    const std::optional<Card> sent = readCard(cardText(local));
    return !sent || sent->kept != agreed;
}

class Planner {
public:
    Planner(BookState& book, const ServerView& server, const QString& collection)
        : book_(book), server_(server), collection_(collection) {}

    Plan run() {
        const QList<Link> links = book_.links.values();
        for (const Link& link : links) {
            linkedHere_.insert(link.href);
            settle(link);
        }
        matchNewOnServer();
        for (const Card& card : book_.contacts)
            if (!book_.links.contains(card.uid))
                plan_.pushes << Push{Change::Added, card.uid, hrefFor(collection_, card.uid), {}, card};
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
        const bool changedHere = here && (fieldsOf(*local) != base || cardChanged(*local, link.agreed));
        const bool gone =
            server_.removed.contains(link.href) || (server_.whole && !server_.listed.contains(link.href));
        const auto theirs = server_.fetched.constFind(link.href);

        if (gone) {
            unlink(link.uid);
            if (changedHere) // the change wins: it goes up again as a new card
                ++plan_.keptAgainstDelete;
            else if (here)
                removeContact(*local, Change::Deleted);
        } else if (theirs != server_.fetched.constEnd()) {
            const QByteArray etag = server_.fetchedEtags.value(link.href);
            Card card = *theirs;
            card.uid = link.uid;
            if (here) // a number or address that only moved within the card stays the book's
                static_cast<Fields&>(card) = exchange::givenBy(card.kept, *local).fields;
            if (!here && fieldsOf(card) == base && theirs->kept == link.agreed) {
                // Only its ETag was new to us (a server that gave none for our store): the delete goes on.
                plan_.pushes << Push{Change::Deleted, link.uid, link.href, etag, asAgreed(link, base)};
                return;
            }
            if (!here) {
                ++plan_.keptAgainstDelete; // deleted here, changed there: back it comes
                putContact(card, Change::Added, false);
            } else if (!changedHere) {
                if (fieldsOf(card) != fieldsOf(*local) || card.kept != local->kept)
                    putContact(card, Change::Changed);
            } else {
                merge(*local, base, card, etag, link.href);
            }
            setLink(Link{link.uid, link.href, etag, theirs->kept});
        } else if (!here) {
            plan_.pushes << Push{Change::Deleted, link.uid, link.href, link.etag, asAgreed(link, base)};
        } else if (changedHere && !link.etag.isEmpty()) {
            plan_.pushes << Push{Change::Changed, link.uid, link.href, link.etag, *local};
        }
    }

    // The book's fields merged with the server's card; what the merge took
    // from the book goes up again.
    void merge(const Card& local, const Fields& base, Card theirs, const QByteArray& etag,
               const QString& href, bool keptGrew = false) {
        QList<Conflict> conflicts;
        const Fields merged = mergeFields(base, local, theirs, conflicts);
        const Card server = theirs;
        static_cast<Fields&>(theirs) = merged;
        theirs.uid = local.uid;
        putContact(theirs, Change::Changed, merged != fieldsOf(local));
        if (merged != fieldsOf(server) || keptGrew)
            plan_.pushes << Push{Change::Changed, local.uid, href, etag, theirs};
        if (!conflicts.isEmpty())
            copyOf(server);
    }

    // The server's side of a conflict, its whole card, as a contact of its
    // own beside the one that kept the book's values: nothing either side
    // typed is lost.
    void copyOf(const Card& server) {
        const Card copy = exchange::conflictCopy(server, book::newContactId());
        plan_.copies << copy[exchange::Name];
        putContact(copy, Change::Added, false);
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
            putContact(card, Change::Added);
            setLink(Link{card.uid, it.key(), server_.fetchedEtags.value(it.key()), theirs.kept});
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
        ++plan_.matched;
        QString uid = local.uid;
        // The card keeps the id other devices know it by, when no contact has it.
        if (!theirs.uid.isEmpty() && theirs.uid != uid && !book_.contacts.contains(theirs.uid)) {
            removeContact(local, Change::Changed);
            uid = theirs.uid;
        }
        Card mine = local;
        mine.uid = uid;
        Card joined = theirs;
        joined.kept = joinKept(theirs.kept, local.kept);
        merge(mine, commonGround(mine, theirs), joined, etag, href, joined.kept != theirs.kept);
        setLink(Link{uid, href, etag, theirs.kept});
    }

    // `counted`: whether the user sees it as a contact brought down (a
    // conflict copy, a contact the merge left as it was, are not).
    void putContact(const Card& card, Change change, bool counted = true) {
        book_.contacts.insert(card.uid, card);
        plan_.book << BookStep{BookStep::PutContact, change, card, {}, counted};
        if (counted)
            ++plan_.down[change];
    }
    // Deleted, or Changed when the contact lives on under another id.
    void removeContact(const Card& card, Change change) {
        plan_.book << BookStep{BookStep::RemoveContact, change, card, Link{card.uid, {}, {}, {}},
                               change == Change::Deleted};
        book_.contacts.remove(card.uid);
        if (change == Change::Deleted)
            ++plan_.down.deleted;
    }
    void setLink(const Link& link) {
        book_.links.insert(link.uid, link);
        plan_.book << BookStep{BookStep::PutLink, Change::Changed, {}, link, false};
    }
    void unlink(const QString& uid) {
        book_.links.remove(uid);
        plan_.book << BookStep{BookStep::DropLink, Change::Changed, {}, Link{uid, {}, {}, {}}, false};
    }

    BookState& book_;
    const ServerView& server_;
    const QString collection_;
    Plan plan_;
    QSet<QString> linkedHere_;
};
} // namespace

Plan plan(BookState& book, const ServerView& server, const QString& collectionPath) {
    return Planner(book, server, collectionPath).run();
}

} // namespace engine
