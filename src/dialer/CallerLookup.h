#pragma once

#include "book/Calls.h"
#include "dialer/RingReader.h"

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace data {
class Database;
}

namespace dialer {

// Finds callers in the book and keeps the call log, on a thread and a
// connection of its own: the window never waits on the book for a call. Its
// first work, and any while no call waits, is making the match keys of
// contacts stored since it last looked.
class CallerLookup {
public:
    explicit CallerLookup(QString bookPath);
    ~CallerLookup();
    CallerLookup(const CallerLookup&) = delete;
    CallerLookup& operator=(const CallerLookup&) = delete;

    using Found = std::function<void(const std::optional<book::Holder>& holder)>;
    // Looks the caller up and logs the call; `found` runs on the thread of
    // `context` with the contact, or none.
    void find(const CallerId& caller, QObject* context, Found found);
    // Logs a call whose caller the modem did not tell.
    void logUntold();
    // Logs a dial with the modem's answer (empty for none).
    void logDial(const QString& number, const QString& answer);
    // Makes the keys that are due, in the background.
    void catchUp();

private:
    void post(std::function<void()> work);
    data::Database* book(); // on the worker thread only; null when it cannot be opened
    QString keyOf(const QString& number) const;

    QString path_;
    QString home_;
    std::unique_ptr<data::Database> db_;
    std::unique_ptr<book::HolderFinder> finder_;
    std::atomic<int> waiting_{0}; // calls posted and not yet looked up: a catch-up gives way
    std::atomic<bool> stopping_{false};
    QObject* worker_ = nullptr; // lives on thread_
    QThread thread_;
};

} // namespace dialer
