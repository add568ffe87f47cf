#pragma once

// The floors of the benchmarks: the same work as one raw SQLite statement,
// prepared once and reset between runs.
#include <sqlite3.h>

#include <stdexcept>
#include <string>

class RawDb {
public:
    explicit RawDb(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            throw std::runtime_error("cannot open " + path);
        sqlite3_busy_timeout(db_, 3000);
    }
    ~RawDb() { sqlite3_close_v2(db_); }
    RawDb(const RawDb&) = delete;
    RawDb& operator=(const RawDb&) = delete;
    sqlite3* get() const { return db_; }
    void exec(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }

private:
    sqlite3* db_ = nullptr;
};

class RawStatement {
public:
    RawStatement(const RawDb& db, const std::string& sql) : db_(db.get()) {
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &st_, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }
    ~RawStatement() { sqlite3_finalize(st_); }
    RawStatement(const RawStatement&) = delete;
    RawStatement& operator=(const RawStatement&) = delete;

    RawStatement& bind(int i, const std::string& text) {
        sqlite3_bind_text(st_, i, text.data(), int(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    RawStatement& bind(int i, sqlite3_int64 n) {
        sqlite3_bind_int64(st_, i, n);
        return *this;
    }
    // Steps once and reads every column of the row, as a move reads a record.
    bool row() {
        const int rc = sqlite3_step(st_);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            throw std::runtime_error(sqlite3_errmsg(db_));
        const bool found = rc == SQLITE_ROW;
        if (found)
            for (int c = 0; c < sqlite3_column_count(st_); ++c)
                read_ += sqlite3_column_bytes(st_, c) + (sqlite3_column_text(st_, c) ? 1 : 0);
        return found;
    }
    sqlite3_int64 integer(int c) const { return sqlite3_column_int64(st_, c); }
    std::string text(int c) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st_, c));
        return p ? std::string(p, size_t(sqlite3_column_bytes(st_, c))) : std::string();
    }
    void reset() { sqlite3_reset(st_); }
    long long read() const { return read_; }

private:
    sqlite3* db_;
    sqlite3_stmt* st_ = nullptr;
    long long read_ = 0;
};
