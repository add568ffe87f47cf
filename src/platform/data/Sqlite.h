#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace data {

// Owns one SQLite connection.
class Database {
public:
    Database() = default;
    enum class Mode { ReadWrite, ReadOnly };
    // Opens an existing file read-write (read-only when the file is write
    // protected, or when asked); never creates one. Throws platform::Error.
    explicit Database(const QString& path, Mode mode = Mode::ReadWrite);

    bool isOpen() const { return handle_ != nullptr; }
    // Opened read-only (asked, or the file is write protected).
    bool isReadOnly() const;
    sqlite3* handle() const { return handle_.get(); }
    void exec(const char* sql);
    // Runs `work` in one write transaction: all of it is stored, or on an
    // error none of it, and the error goes on to the caller.
    void transaction(const std::function<void()>& work);
    // Throws the cause (read-only file or folder, ...) when a store could not
    // be written now; writes nothing either way.
    void probeWrite();
    QString lastError() const;
    int changes() const;
    qint64 lastInsertRowid() const;
    // Whether a statement waits for another program's lock (up to a few
    // seconds) or fails at once with "database is locked".
    void setWaitForLocks(bool wait);
    // Stops the statement running on this connection, from any thread.
    void interrupt();

private:
    struct Closer {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Closer> handle_;
};

// One prepared statement; every value is bound, never spliced into the text.
class Statement {
public:
    Statement(const Database& db, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, const QString& text);
    // UTF-8 text that SQLite does not copy: it must stay unchanged until the
    // statement is reset.
    Statement& bindUnowned(int index, QByteArrayView utf8);
    Statement& bind(int index, qint64 number);
    // Bytes kept as they are, not taken as text.
    Statement& bindBlob(int index, QByteArrayView bytes);
    Statement& bindNull(int index);

    // Steps once; true while a row is there. Throws platform::Error on failure.
    bool step();
    // Ends the run and drops the bound values, so the statement holds no lock
    // on the file and can be bound and run again.
    void reset();
    QString text(int column) const;
    // The column's UTF-8 bytes as stored, valid until the next step or reset.
    QByteArrayView utf8(int column) const;
    // A blob column's bytes, valid as long; empty with no data for NULL.
    QByteArrayView bytes(int column) const;
    QByteArray blob(int column) const;
    bool isNull(int column) const;
    qint64 integer(int column) const;

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Resets a reused statement when its run ends, however it ends: one left on a
// row would keep a read lock that holds up other programs' stores.
class Run {
public:
    explicit Run(Statement& st) : st_(st) {}
    ~Run() { st_.reset(); }
    Run(const Run&) = delete;
    Run& operator=(const Run&) = delete;
    Statement* operator->() const { return &st_; }
    Statement& operator*() const { return st_; }

private:
    Statement& st_;
};

// Statements prepared on first use and kept: a later run only resets and
// rebinds. Slots are the owner's own numbering; the text is built only once.
class StatementCache {
public:
    explicit StatementCache(const Database& db) : db_(db) {}

    template <typename MakeSql> Run get(std::size_t slot, MakeSql&& makeSql) {
        if (slot >= statements_.size())
            statements_.resize(slot + 1);
        if (!statements_[slot])
            statements_[slot] = std::make_unique<Statement>(db_, makeSql());
        return Run(*statements_[slot]);
    }

private:
    const Database& db_;
    std::vector<std::unique_ptr<Statement>> statements_;
};

} // namespace data
