#pragma once

#include "platform/core/Error.h"
#include "sync/dav/Client.h"
#include "sync/engine/Plan.h"

#include <memory>

namespace engine {

// How a round stood when it was planned.
struct Round {
    int number = 1;         // the first, or one after the server changed cards meanwhile
    qint64 contacts = 0;    // in the book
    qint64 cards = 0;       // on the server
    qint64 unreadable = 0;  // cards on the server that could not be read
    bool syncToken = false; // the server gave one: its next listing holds only what changed
};

// What travelled, over every round.
struct Outcome {
    Counts down;                       // in the book
    Counts up;                         // on the server
    QList<Travelled> cameDown, wentUp; // the same, by name, in the order they were done
    int matched = 0;
    int keptAgainstDelete = 0;
    QStringList copies;
    qint64 unreadable = 0;
    bool unsettled = false; // cards kept changing on the server: another sync is due
};

enum class Stage { Fetching, Sending };

// The one who runs a sync: hears how it goes and decides whether a plan is
// carried out. Failures of the server go to the client's own handler.
class Front {
public:
    virtual ~Front() = default;
    // Whether the sync already ended: answers still arriving are for nobody.
    virtual bool ended() const = 0;
    virtual void failed(const platform::Error& error) = 0;
    // Before a round writes anything; false stops the sync there (the front ends it).
    virtual bool proceed(const Plan& plan, const Round& round) = 0;
    virtual void backedUp(const QString& copy) = 0;
    virtual void progress(Stage stage, qint64 done, qint64 total) = 0;
    virtual void finished(const Outcome& outcome) = 0;
};

// Whether a plan deletes so much of a side that it is better asked first:
// more than 50, or (3 and more) over a tenth.
bool deletesTooMuch(const Plan& plan, const Round& round);

// One sync of the book at `bookPath` with the address book `collection`:
// rounds of listing, fetching, planning and carrying out, until the server
// stops changing cards under it.
class Sync {
public:
    Sync(QString bookPath, dav::Client& client, QUrl collection, Front& front);
    ~Sync();
    void start();

private:
    class Rounds;
    std::unique_ptr<Rounds> rounds_;
};

} // namespace engine
