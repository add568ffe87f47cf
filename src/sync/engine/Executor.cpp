#include "sync/engine/Executor.h"

#include "sync/engine/CardText.h"

namespace engine {
namespace {
constexpr int InFlight = 4;
constexpr qsizetype KeepEvery = 100;
constexpr qint64 KeepEveryMs = 1000;
} // namespace

Executor::Executor(SyncedBook& book, dav::Client& client, QUrl collection, Guard guarded)
    : book_(book), client_(client), url_(std::move(collection)), guarded_(std::move(guarded)) {}

void Executor::run(Plan plan, const std::function<void()>& first,
                   std::function<void(qsizetype, qsizetype)> progress, std::function<void()> done) {
    book_.transaction([&] {
        first();
        for (const BookStep& step : std::as_const(plan.book))
            book_.apply(step);
    });
    queue_ = std::move(plan.pushes);
    next_ = 0;
    progress_ = std::move(progress);
    done_ = std::move(done);
    sinceKept_.start();
    pump();
}

void Executor::pump() {
    while (inFlight_ < InFlight && next_ < queue_.size()) {
        ++inFlight_;
        send(queue_[next_++]);
    }
    if (inFlight_ > 0)
        return;
    keep();
    done_();
}

void Executor::send(const Push& push) {
    const QUrl at = url_.resolved(QUrl(push.href));
    if (push.change == Change::Deleted) {
        client_.remove(at, push.etag, [this, push](dav::Written w) {
            // The card goes with the step: the book keeps it in its trash.
            answered(
                w, push,
                BookStep{BookStep::DropLink, Change::Deleted, push.card, Link{push.uid, {}, {}, {}}, false});
        });
        return;
    }
    const QByteArray text = cardText(push.card);
    const std::optional<exchange::Card> stored = readCard(text);
    Link link{push.uid, push.href, {}, stored ? stored->kept : QByteArray()};
    client_.put(at, text, push.change == Change::Added ? QByteArray() : push.etag,
                [this, link, push](dav::Written w, const QByteArray& etag) mutable {
                    link.etag = etag;
                    answered(w, push, BookStep{BookStep::PutLink, push.change, {}, link, false});
                });
}

void Executor::answered(dav::Written written, const Push& push, BookStep step) {
    guarded_([&] {
        --inFlight_;
        // Changed on the server since it was listed: the next round fetches and merges it.
        if (written == dav::Written::Conflict) {
            conflicted << push.href;
        } else {
            ++up[push.change];
            wentUp << Travelled{push.change, push.card[exchange::Name]};
            pending_ << std::move(step);
        }
        if (pending_.size() >= KeepEvery || sinceKept_.elapsed() >= KeepEveryMs)
            keep();
        progress_(next_ - inFlight_, queue_.size());
        pump();
    });
}

void Executor::keep() {
    sinceKept_.start();
    if (pending_.isEmpty())
        return;
    book_.transaction([&] {
        for (const BookStep& step : std::as_const(pending_))
            book_.apply(step);
    });
    pending_.clear();
}

} // namespace engine
