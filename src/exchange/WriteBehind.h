#pragma once

#include "exchange/Card.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace exchange {

class CardWriter;

// Writes cards with another writer in a thread of its own while the caller
// reads the ones after from the book: composing a card and reading it take
// about as long each, and the machine has more than one core. A bounded
// number of cards wait. What the writer throws is thrown from the next
// write() or from finish().
class WriteBehind {
public:
    explicit WriteBehind(CardWriter& writer);
    ~WriteBehind(); // stops without writing what still waits
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    void write(Card card);
    // Waits until every card handed over is written; the writer is the
    // caller's again.
    void finish();

private:
    using Batch = std::vector<Card>;
    void run();
    void hand(bool last);

    CardWriter& writer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> waiting_; // guarded by mutex_, as are the three below
    bool done_ = false;
    bool stop_ = false;
    std::exception_ptr failure_;
    Batch filling_;      // the caller's own
    std::thread thread_; // last: it starts once the rest is there
};

} // namespace exchange
