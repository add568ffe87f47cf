#include "sync/TwoWay.h"

#include "sync/Account.h"
#include "sync/CardText.h"
#include "sync/Reconcile.h"

#include <QElapsedTimer>

#include <unistd.h>

namespace carddav {
namespace {
enum { Added, Changed, Deleted };

// A server that keeps changing cards under us is not chased forever.
constexpr int MaxRounds = 3;
constexpr int InFlight = 4;
// Links of stored cards are kept this many at a time, or at least each
// second: a sync killed between two keeps finds those cards again by their
// names at the next, and stores nothing twice.
constexpr qsizetype KeepEvery = 100;
constexpr qint64 KeepEveryMs = 1000;

// Deleting this many of a side's contacts asks for --force.
bool tooMany(qint64 deletes, qint64 of) { return deletes > 50 || (deletes >= 3 && deletes * 10 > of); }

QString counts(const int (&n)[3]) {
    return QStringLiteral("%1 new, %2 changed, %3 deleted").arg(n[Added]).arg(n[Changed]).arg(n[Deleted]);
}

class TwoWay {
public:
    TwoWay(const QString& book, bool force, CommandRun& run)
        : bookPath_(book), force_(force), run_(run), tty_(isatty(STDERR_FILENO) == 1) {
        clock_.start();
    }

    void start() {
        openAccount(bookPath_, run_, account_, [this] {
            url_ = account_.settings.addressBook;
            guarded([&] {
                book_.emplace(bookPath_);
                round();
            });
        });
    }

private:
    template <typename F> void guarded(F&& work) {
        if (run_.ended())
            return;
        try {
            work();
        } catch (const platform::Error& e) {
            run_.fail(QStringLiteral("%1: %2").arg(bookPath_, e.description()));
        }
    }

    QString path(const QString& href) const { return url_.resolved(QUrl(href)).path(QUrl::FullyEncoded); }
    QString collectionKey() const { return url_.toString(QUrl::FullyEncoded); }

    void round() {
        ++round_;
        again_ = false;
        book_->load(collectionKey());
        contactsBefore_ = book_->contacts.size();
        account_.client->list(url_, book_->token, [this](const Listing& l) { guarded([&] { listed(l); }); });
    }

    void listed(const Listing& listing) {
        view_ = ServerView{};
        view_.whole = listing.whole;
        token_ = listing.syncToken;
        QHash<QString, QString> byHref;
        for (const Link& link : std::as_const(book_->links))
            byHref.insert(link.href, link.uid);
        QStringList wanted;
        qint64 unlinked = 0, linkedGone = 0;
        for (const CardRef& card : listing.cards) {
            const QString at = path(card.href);
            view_.listed.insert(at, card.etag);
            const QString uid = byHref.value(at);
            unlinked += uid.isEmpty() ? 1 : 0;
            if (uid.isEmpty() || card.etag.isEmpty() || book_->links.value(uid).etag != card.etag)
                wanted << at;
        }
        // Cards a store was refused for (412) since: fetched whatever the listing says, to be merged.
        for (const QString& href : std::as_const(conflicted_))
            if (!wanted.contains(href))
                wanted << href;
        conflicted_.clear();
        unreadable_ = 0;
        for (const QString& href : listing.removed) {
            view_.removed.insert(path(href));
            linkedGone += byHref.contains(path(href)) ? 1 : 0;
        }
        view_.size = listing.whole ? view_.listed.size() : book_->links.size() + unlinked - linkedGone;
        account_.client->fetch(
            url_, wanted,
            [this, total = wanted.size()](const QList<FetchedCard>& cards) {
                for (const FetchedCard& fetched : cards) {
                    if (std::optional<exchange::Card> card = readCard(fetched.vcard)) {
                        view_.fetched.insert(path(fetched.href), *card);
                        view_.fetchedEtags.insert(path(fetched.href), fetched.etag);
                    } else {
                        ++unreadable_;
                    }
                }
                progress(QStringLiteral("Fetched %1 of %2 cards").arg(view_.fetched.size()).arg(total));
            },
            [this] { guarded([&] { carryOut(); }); });
    }

    void carryOut() {
        Plan plan = reconcile(*book_, view_, url_.path(QUrl::FullyEncoded), tally_);
        if (!force_ &&
            (tooMany(plan.bookDeletes, contactsBefore_) || tooMany(plan.serverDeletes, view_.size))) {
            run_.fail(
                QStringLiteral("stopped: this sync would delete %1 of the %2 contacts in the phone book "
                               "and %3 of the %4 cards on %5; %6. If that is what you want, run "
                               "quorvel-book sync --force")
                    .arg(plan.bookDeletes)
                    .arg(contactsBefore_)
                    .arg(plan.serverDeletes)
                    .arg(view_.size)
                    .arg(serverName(url_), round_ == 1
                                               ? QStringLiteral("nothing was changed")
                                               : QStringLiteral("only what changed before that was synced")));
            return;
        }
        if (!book_->syncedBefore && backup_.isEmpty()) {
            backup_ = book_->backUp(bookPath_);
            run_.out << "A copy of the phone book as it was before its first sync: " << backup_ << '\n';
        }
        book_->transaction([&] {
            book_->setCollection(collectionKey(), token_);
            for (const auto& change : std::as_const(plan.book))
                change(*book_);
        });
        queue_ = std::move(plan.pushes);
        next_ = 0;
        sinceKept_.start();
        pump();
    }

    void pump() {
        while (inFlight_ < InFlight && next_ < queue_.size()) {
            ++inFlight_;
            send(queue_[next_++]);
        }
        if (inFlight_ > 0)
            return;
        keep();
        if (again_ && round_ < MaxRounds)
            round();
        else
            finish();
    }

    void send(const Push& push) {
        const QUrl at = url_.resolved(QUrl(push.href));
        if (push.kind == Push::Remove) {
            account_.client->remove(at, push.etag, [this, push](Written w) {
                answered(w, Deleted, push.href, [uid = push.uid](SyncedBook& b) { b.dropLink(uid); });
            });
            return;
        }
        const QByteArray text = cardText(book_->contacts.value(push.uid));
        const std::optional<exchange::Card> stored = readCard(text);
        Link link{push.uid, push.href, {}, stored ? stored->kept : QByteArray()};
        account_.client->put(at, text, push.kind == Push::Add ? QByteArray() : push.etag,
                             [this, link, kind = push.kind](Written w, const QByteArray& etag) mutable {
                                 link.etag = etag;
                                 answered(w, kind == Push::Add ? Added : Changed, link.href,
                                          [link](SyncedBook& b) { b.putLink(link); });
                             });
    }

    void answered(Written written, int what, const QString& href, std::function<void(SyncedBook&)> change) {
        guarded([&] {
            --inFlight_;
            // Changed on the server since it was listed: the next round fetches and merges it.
            if (written == Written::Conflict) {
                again_ = true;
                conflicted_ << href;
            } else {
                ++tally_.up[what];
                pending_ << std::move(change);
            }
            if (pending_.size() >= KeepEvery || sinceKept_.elapsed() >= KeepEveryMs)
                keep();
            progress(QStringLiteral("Sent %1 of %2 changes").arg(next_ - inFlight_).arg(queue_.size()));
            pump();
        });
    }

    void keep() {
        sinceKept_.start();
        if (pending_.isEmpty())
            return;
        book_->transaction([&] {
            for (const auto& change : std::as_const(pending_))
                change(*book_);
        });
        pending_.clear();
    }

    void progress(const QString& what) {
        if (!tty_ || clock_.elapsed() < 1000)
            return;
        run_.err << '\r' << what << "   " << Qt::flush;
        progressShown_ = true;
    }

    void finish() {
        if (progressShown_)
            run_.err << Qt::endl;
        QStringList parts{QStringLiteral("down %1").arg(counts(tally_.down)),
                          QStringLiteral("up %1").arg(counts(tally_.up))};
        if (tally_.matched > 0)
            parts << QStringLiteral("%1 found on both sides and linked").arg(tally_.matched);
        if (tally_.keptAgainstDelete > 0)
            parts << QStringLiteral("%1 deleted on one side but changed on the other, kept on both")
                         .arg(tally_.keptAgainstDelete);
        if (!tally_.copies.isEmpty())
            parts << QStringLiteral("%1 changed on both sides: the book's values kept, the server's in a "
                                    "conflict copy (\"%2\")")
                         .arg(tally_.copies.size())
                         .arg(tally_.copies.join(QLatin1String("\", \"")));
        if (unreadable_ > 0)
            parts << QStringLiteral("%1 cards on the server could not be read and were left there")
                         .arg(unreadable_);
        if (again_)
            parts << QStringLiteral("cards kept changing on the server meanwhile: run the sync again");
        run_.out << "Synced with \"" << account_.settings.name << "\" at " << serverName(url_) << ": "
                 << parts.join(QLatin1String("; ")) << ".\n";
        run_.out.flush();
        run_.done();
    }

    const QString bookPath_;
    const bool force_;
    CommandRun& run_;
    const bool tty_;
    QElapsedTimer clock_;
    QElapsedTimer sinceKept_;
    bool progressShown_ = false;
    Account account_;
    std::optional<SyncedBook> book_;
    QUrl url_;
    QString token_;
    QString backup_;
    ServerView view_;
    Tally tally_;
    qint64 contactsBefore_ = 0;
    qint64 unreadable_ = 0;
    int round_ = 0;
    bool again_ = false;
    QStringList conflicted_;
    QList<Push> queue_;
    qsizetype next_ = 0;
    int inFlight_ = 0;
    QList<std::function<void(SyncedBook&)>> pending_;
};
} // namespace

int runTwoWaySync(const QString& book, bool force, QTextStream& out, QTextStream& err) {
    CommandRun run(out, err);
    TwoWay sync(book, force, run);
    sync.start();
    return run.exec();
}

} // namespace carddav
