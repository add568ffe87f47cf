#include "platform/data/RecordCounter.h"

#include "platform/core/Error.h"
#include "platform/data/Keyset.h"

#include <QScopeGuard>

#include <optional>

#include <pthread.h>
#include <sched.h>

namespace data {

RecordCounter::RecordCounter(QObject* parent) : QObject(parent) {}

RecordCounter::~RecordCounter() { stop(); }

void RecordCounter::start(const QString& path, const QString& table, const CountTicket& ticket) {
    stop();
    stopping_ = false;
    running_ = true;
    const quint64 generation = ++generation_;
    worker_ = std::thread([=, this] { count(path, table, ticket, generation); });
}

void RecordCounter::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        if (connection_)
            connection_->interrupt();
    }
    if (worker_.joinable())
        worker_.join();
    ++generation_;
    running_ = false;
}

// Runs in the worker thread.
void RecordCounter::count(const QString& path, const QString& table, const CountTicket& ticket,
                          quint64 generation) {
    // The count runs only on time no other thread of the machine wants: the
    // window and whatever the user does meanwhile come first.
    const sched_param idle{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
    std::optional<qint64> result;
    try {
        Database db(path, Database::Mode::ReadOnly);
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                return;
            connection_ = &db;
        }
        const auto forget = qScopeGuard([this] {
            std::lock_guard lock(mutex_);
            connection_ = nullptr;
        });
        Statement st(db, QStringLiteral("SELECT count(*) FROM %1").arg(quoteIdentifier(table)));
        if (st.step())
            result = st.integer(0);
    } catch (const platform::Error&) {
        // Stopped, or the file could not be read now: the next check tries again.
    }
    QMetaObject::invokeMethod(
        this,
        [this, result, ticket, generation] {
            if (generation != generation_)
                return; // stopped, or a newer count runs
            if (worker_.joinable())
                worker_.join(); // it has just ended
            running_ = false;
            if (result)
                emit counted(*result, ticket);
        },
        Qt::QueuedConnection);
}

} // namespace data
