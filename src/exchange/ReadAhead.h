#pragma once

#include "exchange/CardReader.h"

#include <QIODevice>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace exchange {

// Reads the cards of another reader in a thread of its own while the caller
// stores the ones before: reading and storing take about as long each, and
// the machine has more than one core. A bounded number of cards wait, however
// long the file. What the reader throws is thrown from next() in its place.
class ReadAhead : public CardReader {
public:
    // `in`, when given, is the file the reader reads: bytesRead() follows it.
    explicit ReadAhead(std::unique_ptr<CardReader> reader, const QIODevice* in = nullptr);
    ~ReadAhead() override;
    bool next(Card& card) override;
    // These two are known once next() has returned false.
    QStringList ignoredColumns() const override { return reader_->ignoredColumns(); }
    ReadNotes notes() const override { return reader_->notes(); }
    // How far the reading thread is in the file, for telling progress.
    qint64 bytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }

private:
    using Batch = std::vector<Card>;
    void read();

    std::unique_ptr<CardReader> reader_;
    const QIODevice* in_;
    std::atomic<qint64> bytesRead_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> ready_; // guarded by mutex_, as are the three below
    bool done_ = false;
    bool stop_ = false;
    std::exception_ptr failure_;
    Batch taking_; // the batch next() hands out, the caller's own
    size_t at_ = 0;
    std::thread thread_; // last: it starts once the rest is there
};

} // namespace exchange
