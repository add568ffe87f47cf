#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace data {

// Owns one SQLite connection.
class Database {
public:
    Database() = default;
    // Opens an existing file read-write (read-only when the file is write
    // protected); never creates one. Throws platform::Error.
    explicit Database(const QString& path);

    bool isOpen() const { return handle_ != nullptr; }
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
    Statement& bindNull(int index);

    // Steps once; true while a row is there. Throws platform::Error on failure.
    bool step();
    // Makes the statement ready to run again; bound values stay.
    void reset();
    QString text(int column) const;
    bool isNull(int column) const;
    qint64 integer(int column) const;

private:
    const Database& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace data
