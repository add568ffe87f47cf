#pragma once

#include "sync/dav/Client.h"
#include "sync/engine/Plan.h"

#include <QElapsedTimer>

#include <functional>

namespace engine {

// Carries out a plan: the book's changes in one transaction, then the
// server's, a few at a time. What the server took is kept in the book at
// checkpoints (every 100 answers, or each second): a sync killed between two
// finds those cards again by their names at the next, and stores nothing twice.
class Executor {
public:
    // Runs a step unless the sync has ended, turning a failure of the book into the sync's end.
    using Guard = std::function<void(const std::function<void()>&)>;

    Executor(SyncedBook& book, dav::Client& client, QUrl collection, Guard guarded);

    // Stores the plan's book steps after `first` (in the same transaction),
    // then sends its pushes; `progress` hears of each answer, `done` runs once
    // all are in and kept.
    void run(Plan plan, const std::function<void()>& first,
             std::function<void(qsizetype answered, qsizetype total)> progress, std::function<void()> done);

    Counts up;               // what the server took
    QList<Travelled> wentUp; // the same, by name
    QStringList conflicted;  // cards a store was refused for (412): changed on the server meanwhile

private:
    void pump();
    void send(const Push& push);
    void answered(dav::Written written, const Push& push, BookStep keep);
    void keep();

    SyncedBook& book_;
    dav::Client& client_;
    const QUrl url_;
    Guard guarded_;
    QList<Push> queue_;
    qsizetype next_ = 0;
    int inFlight_ = 0;
    QList<BookStep> pending_; // links of what the server took, not kept yet
    QElapsedTimer sinceKept_;
    std::function<void(qsizetype, qsizetype)> progress_;
    std::function<void()> done_;
};

} // namespace engine
