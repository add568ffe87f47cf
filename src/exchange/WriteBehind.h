#pragma once

#include "exchange/Card.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace data {
class Statement;
}

namespace exchange {

class CardWriter;

// Writes the rows of an export with another writer in a thread of its own
// while the caller reads the ones after from the book: composing a card and
// reading it take about as long each, and the machine has more than one
// core. The caller only copies each row's bytes; the cards are made in the
// writing thread. A bounded number of rows wait. What the writer throws is
// thrown from the next write() or from finish().
class WriteBehind {
public:
    // withIds: the rows hold the id and the kept card after the fields and the rowid.
    WriteBehind(CardWriter& writer, bool withIds);
    ~WriteBehind(); // stops without writing what still waits
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Takes the row the statement stands on (the columns of DamagedBook.h).
    void write(const data::Statement& row);
    // Waits until every row handed over is written; the writer is the
    // caller's again.
    void finish();

private:
    // Rows packed as their bytes: one buffer for many rows, reused, so that
    // neither thread allocates per row, nor frees what the other made.
    struct Batch {
        std::vector<char> bytes;
        std::vector<int> sizes; // of each column in turn, -1 for NULL
        size_t rows = 0;
    };
    void run();
    void hand(bool last);
    void writeBatch(const Batch& batch, Card& card);

    CardWriter& writer_;
    const int columns_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> waiting_; // guarded by mutex_, as are the four below
    std::vector<Batch> spent_;  // written, for the caller to fill again
    bool done_ = false;
    bool stop_ = false;
    std::exception_ptr failure_;
    Batch filling_;      // the caller's own
    std::thread thread_; // last: it starts once the rest is there
};

} // namespace exchange
