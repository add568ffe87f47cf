#include "exchange/WriteBehind.h"

#include "exchange/CardWriter.h"

namespace exchange {
namespace {
constexpr size_t BatchCards = 256;
constexpr size_t MaxBatches = 4;
} // namespace

WriteBehind::WriteBehind(CardWriter& writer) : writer_(writer), thread_([this] { run(); }) {}

WriteBehind::~WriteBehind() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void WriteBehind::run() {
    try {
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || done_ || !waiting_.empty(); });
            if (stop_ || waiting_.empty())
                return;
            Batch batch = std::move(waiting_.front());
            waiting_.pop_front();
            lock.unlock();
            changed_.notify_all();
            for (const Card& card : batch)
                writer_.write(card);
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
        waiting_.clear();
    }
    changed_.notify_all();
}

void WriteBehind::hand(bool last) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || waiting_.size() < MaxBatches; });
    if (failure_)
        std::rethrow_exception(failure_);
    if (!filling_.empty())
        waiting_.push_back(std::move(filling_));
    done_ = last;
    lock.unlock();
    changed_.notify_all();
    filling_ = Batch();
    filling_.reserve(BatchCards);
}

void WriteBehind::write(Card card) {
    filling_.push_back(std::move(card));
    if (filling_.size() >= BatchCards)
        hand(false);
}

void WriteBehind::finish() {
    if (!thread_.joinable())
        return; // finished before
    hand(true);
    thread_.join();
    if (failure_)
        std::rethrow_exception(failure_);
}

} // namespace exchange
