#include "sync/engine/Sync.h"

#include "sync/engine/CardText.h"
#include "sync/engine/Executor.h"
#include "sync/engine/Planner.h"

#include <optional>

namespace engine {
namespace {
// A server that keeps changing cards under us is not chased forever.
constexpr int MaxRounds = 3;

bool tooMany(qint64 deletes, qint64 of) { return deletes > 50 || (deletes >= 3 && deletes * 10 > of); }
} // namespace

bool deletesTooMuch(const Plan& plan, const Round& round) {
    return tooMany(plan.down.deleted, round.contacts) || tooMany(plan.up().deleted, round.cards);
}

class Sync::Rounds {
public:
    Rounds(QString bookPath, dav::Client& client, QUrl collection, Front& front)
        : bookPath_(std::move(bookPath)), client_(client), url_(std::move(collection)), front_(front) {}

    void start() {
        guarded([&] {
            book_.emplace(bookPath_);
            round();
        });
    }

private:
    template <typename F> void guarded(F&& work) {
        if (front_.ended())
            return;
        try {
            work();
        } catch (const platform::Error& e) {
            front_.failed(e);
        }
    }

    QString path(const QString& href) const { return url_.resolved(QUrl(href)).path(QUrl::FullyEncoded); }
    QString collectionKey() const { return url_.toString(QUrl::FullyEncoded); }

    void round() {
        ++round_.number;
        book_->load(collectionKey());
        round_.contacts = book_->contacts.size();
        client_.list(url_, book_->token, [this](const dav::Listing& l) { guarded([&] { listed(l); }); });
    }

    void listed(const dav::Listing& listing) {
        view_ = ServerView{};
        view_.whole = listing.whole;
        token_ = listing.syncToken;
        QHash<QString, QString> byHref;
        for (const Link& link : std::as_const(book_->links))
            byHref.insert(link.href, link.uid);
        QStringList wanted;
        qint64 unlinked = 0, linkedGone = 0;
        for (const dav::CardRef& card : listing.cards) {
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
        for (const QString& href : listing.removed) {
            view_.removed.insert(path(href));
            linkedGone += byHref.contains(path(href)) ? 1 : 0;
        }
        view_.size = listing.whole ? view_.listed.size() : book_->links.size() + unlinked - linkedGone;
        client_.fetch(
            url_, wanted,
            [this, total = wanted.size()](const QList<dav::FetchedCard>& cards) {
                for (const dav::FetchedCard& fetched : cards) {
                    if (std::optional<exchange::Card> card = readCard(fetched.vcard)) {
                        view_.fetched.insert(path(fetched.href), *card);
                        view_.fetchedEtags.insert(path(fetched.href), fetched.etag);
                    } else {
                        ++view_.unreadable;
                    }
                }
                front_.progress(Stage::Fetching, view_.fetched.size() + view_.unreadable, total);
            },
            [this] { guarded([&] { carryOut(); }); });
    }

    void carryOut() {
        Plan plan = engine::plan(*book_, view_, url_.path(QUrl::FullyEncoded));
        round_.cards = view_.size;
        round_.unreadable = view_.unreadable;
        round_.syncToken = !token_.isEmpty();
        if (!front_.proceed(plan, round_))
            return;
        outcome_.down += plan.down;
        for (const BookStep& step : std::as_const(plan.book))
            if (step.counted)
                outcome_.cameDown << Travelled{step.change, step.card[exchange::Name]};
        outcome_.matched += plan.matched;
        outcome_.keptAgainstDelete += plan.keptAgainstDelete;
        outcome_.copies << plan.copies;
        outcome_.unreadable = view_.unreadable;
        if (!book_->syncedBefore && backup_.isEmpty()) {
            backup_ = book_->backUp(bookPath_);
            front_.backedUp(backup_);
        }
        // The token was given before this sync's own stores. A change of ours
        // that another device undoes before the next sync (a card we add,
        // deleted; one we delete, stored again as it was) is no change since
        // that token, and a server may leave it out (xandikos does): this book
        // would never hear of it. After storing anything, the next sync lists every card.
        const QString token = plan.pushes.isEmpty() ? token_ : QString();
        executor_.emplace(*book_, client_, url_,
                          [this](const std::function<void()>& step) { guarded(step); });
        executor_->run(
            std::move(plan), [&] { book_->setCollection(collectionKey(), token); },
            [this](qsizetype done, qsizetype total) { front_.progress(Stage::Sending, done, total); },
            [this] { sent(); });
    }

    void sent() {
        outcome_.up += executor_->up;
        outcome_.wentUp << executor_->wentUp;
        conflicted_ = executor_->conflicted;
        const bool again = !conflicted_.isEmpty();
        if (again && round_.number < MaxRounds) {
            round();
            return;
        }
        outcome_.unsettled = again;
        front_.finished(outcome_);
    }

    const QString bookPath_;
    dav::Client& client_;
    const QUrl url_;
    Front& front_;
    std::optional<SyncedBook> book_;
    std::optional<Executor> executor_;
    QString token_;
    QString backup_;
    ServerView view_;
    Round round_{0};
    Outcome outcome_;
    QStringList conflicted_;
};

Sync::Sync(QString bookPath, dav::Client& client, QUrl collection, Front& front)
    : rounds_(std::make_unique<Rounds>(std::move(bookPath), client, std::move(collection), front)) {}

Sync::~Sync() = default;

void Sync::start() { rounds_->start(); }

} // namespace engine
