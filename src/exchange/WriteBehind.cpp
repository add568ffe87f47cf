#include "exchange/WriteBehind.h"

#include "exchange/CardWriter.h"
#include "exchange/DamagedBook.h"
#include "platform/data/Sqlite.h"

namespace exchange {
namespace {
constexpr size_t BatchRows = 256;
constexpr size_t MaxBatches = 4;
} // namespace

WriteBehind::WriteBehind(CardWriter& writer, bool withIds)
    : writer_(writer), columns_(withIds ? KeptColumn + 1 : FieldCount), thread_([this] { run(); }) {}

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
        Card card; // its strings are made and freed here only
        for (;;) {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || done_ || !waiting_.empty(); });
            if (stop_ || waiting_.empty())
                return;
            Batch batch = std::move(waiting_.front());
            waiting_.pop_front();
            lock.unlock();
            changed_.notify_all();
            writeBatch(batch, card);
            lock.lock();
            spent_.push_back(std::move(batch));
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        failure_ = std::current_exception();
        waiting_.clear();
    }
    changed_.notify_all();
}

void WriteBehind::writeBatch(const Batch& batch, Card& card) {
    const char* bytes = batch.bytes.data();
    auto size = batch.sizes.cbegin();
    const auto take = [&]() -> QByteArrayView {
        const int n = *size++;
        if (n < 0)
            return {};
        const QByteArrayView view(bytes, n);
        bytes += n;
        return view;
    };
    const auto text = [](QByteArrayView v) { return v.data() ? QString::fromUtf8(v) : QString(); };
    for (size_t r = 0; r < batch.rows; ++r) {
        for (QString& field : card)
            field = text(take());
        if (columns_ > FieldCount) {
            card.uid = text(take());
            card.kept = take().toByteArray();
        }
        writer_.write(card);
    }
}

void WriteBehind::hand(bool last) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return failure_ || waiting_.size() < MaxBatches; });
    if (failure_)
        std::rethrow_exception(failure_);
    if (filling_.rows > 0)
        waiting_.push_back(std::move(filling_));
    done_ = last;
    if (spent_.empty()) {
        filling_ = Batch();
    } else {
        filling_ = std::move(spent_.back());
        spent_.pop_back();
    }
    lock.unlock();
    changed_.notify_all();
    filling_.bytes.clear();
    filling_.sizes.clear();
    filling_.rows = 0;
}

void WriteBehind::write(const data::Statement& row) {
    for (int c = 0; c < columns_; ++c) {
        if (c == RowidColumn)
            continue; // not written
        const QByteArrayView value = c == KeptColumn ? row.bytes(c) : row.utf8(c);
        if (!value.data()) {
            filling_.sizes.push_back(-1);
            continue;
        }
        filling_.sizes.push_back(int(value.size()));
        filling_.bytes.insert(filling_.bytes.end(), value.begin(), value.end());
    }
    if (++filling_.rows >= BatchRows)
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
