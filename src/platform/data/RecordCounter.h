#pragma once

#include "platform/data/Recordset.h"

#include <QObject>

#include <mutex>
#include <thread>

namespace data {

// Counts a table's records on a connection of its own in a worker thread, so
// that counting a large phone book never holds up the window. The answer comes
// back through counted() on the thread that owns the counter.
class RecordCounter : public QObject {
    Q_OBJECT
public:
    explicit RecordCounter(QObject* parent = nullptr);
    ~RecordCounter() override;

    // Starts a count; one still running is stopped first. The ticket is handed
    // back with the answer, to tell whether it is still true.
    void start(const QString& path, const QString& table, const CountTicket& ticket);
    // Stops a running count at once; its answer never arrives.
    void stop();
    bool running() const { return running_; }

signals:
    // A count failed (the file went away, or stayed locked) sends nothing.
    void counted(qint64 count, data::CountTicket ticket);

private:
    void count(const QString& path, const QString& table, const CountTicket& ticket, quint64 generation);

    std::thread worker_;
    std::mutex mutex_;
    Database* connection_ = nullptr; // the worker's, while it is open
    bool stopping_ = false;
    bool running_ = false;
    quint64 generation_ = 0; // answers of stopped counts are dropped
};

} // namespace data
