#include "exchange/ReadAhead.h"

namespace exchange {
namespace {
constexpr size_t BatchCards = 256; // few hand-overs, each under a millisecond of reading
constexpr size_t MaxBatches = 4;
} // namespace

ReadAhead::ReadAhead(std::unique_ptr<CardReader> reader, const QIODevice* in)
    : reader_(std::move(reader)), in_(in), thread_([this] { read(); }) {}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ReadAhead::read() {
    try {
        for (bool more = true; more;) {
            Batch batch;
            batch.reserve(BatchCards);
            Card card;
            while (batch.size() < BatchCards && (more = reader_->next(card)))
                batch.push_back(std::move(card));
            if (in_)
                bytesRead_.store(in_->pos(), std::memory_order_relaxed);
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || ready_.size() < MaxBatches; });
            if (stop_)
                return;
            ready_.push_back(std::move(batch));
            done_ = !more;
            lock.unlock();
            changed_.notify_all();
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
        done_ = true;
    }
    changed_.notify_all();
}

bool ReadAhead::next(Card& card) {
    while (at_ == taking_.size()) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !ready_.empty() || done_; });
        if (ready_.empty()) {
            if (failure_)
                std::rethrow_exception(failure_);
            return false;
        }
        taking_ = std::move(ready_.front());
        ready_.pop_front();
        at_ = 0;
        lock.unlock();
        changed_.notify_all();
    }
    card = std::move(taking_[at_++]);
    return true;
}

} // namespace exchange
