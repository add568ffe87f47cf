#include "platform/data/Sqlite.h"

#include "platform/core/Error.h"

#include <sqlite3.h>

namespace data {
namespace {
// How long a store waits for another program that holds the file locked.
constexpr int BusyTimeoutMs = 3000;

[[noreturn]] void fail(sqlite3* db, int code) {
    const int number =
        (code & 0xFF) == SQLITE_NOTADB ? platform::err::NotADatabase : platform::err::EngineFailure;
    throw platform::Error(number, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code)));
}
} // namespace

void Database::Closer::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

Database::Database(const QString& path, Mode mode) {
    sqlite3* db = nullptr;
    const int flags =
        (mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    handle_.reset(db);
    if (rc != SQLITE_OK)
        throw platform::Error(platform::err::CannotOpenDatabase,
                              QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, BusyTimeoutMs);
}

void Database::exec(const char* sql) {
    const int rc = sqlite3_exec(handle(), sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(handle(), rc);
}

namespace {
// Rolls the open transaction back unless it was committed: whatever leaves
// the work early (our error, a failed allocation, any other exception) leaves
// the file as it was and the connection free for the next store.
class RollbackGuard {
public:
    explicit RollbackGuard(sqlite3* db) : db_(db) {}
    ~RollbackGuard() {
        // The failed step may have ended the transaction already; nothing to report then.
        if (!committed_ && !sqlite3_get_autocommit(db_))
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    RollbackGuard(const RollbackGuard&) = delete;
    RollbackGuard& operator=(const RollbackGuard&) = delete;
    void committed() { committed_ = true; }

private:
    sqlite3* db_;
    bool committed_ = false;
};
} // namespace

void Database::transaction(const std::function<void()>& work) {
    exec("BEGIN IMMEDIATE");
    RollbackGuard guard(handle());
    work();
    exec("COMMIT");
    guard.committed();
}

QString Database::lastError() const { return QString::fromUtf8(sqlite3_errmsg(handle())); }
int Database::changes() const { return sqlite3_changes(handle()); }
qint64 Database::lastInsertRowid() const { return sqlite3_last_insert_rowid(handle()); }
void Database::setWaitForLocks(bool wait) { sqlite3_busy_timeout(handle(), wait ? BusyTimeoutMs : 0); }
void Database::interrupt() { sqlite3_interrupt(handle()); }

Statement::Statement(const Database& db, const QString& sql) : db_(db.handle()) {
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), int(utf8.size()), &stmt_, nullptr);
    if (rc != SQLITE_OK)
        fail(db_, rc);
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement& Statement::bind(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bindUnowned(int index, QByteArrayView utf8) {
    sqlite3_bind_text(stmt_, index, utf8.isNull() ? "" : utf8.data(), int(utf8.size()), SQLITE_STATIC);
    return *this;
}

Statement& Statement::bind(int index, qint64 number) {
    sqlite3_bind_int64(stmt_, index, number);
    return *this;
}

Statement& Statement::bindNull(int index) {
    sqlite3_bind_null(stmt_, index);
    return *this;
}

bool Statement::step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(db_, rc);
}

void Statement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

QString Statement::text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return bytes ? QString::fromUtf8(bytes, sqlite3_column_bytes(stmt_, column)) : QString();
}

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
qint64 Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

} // namespace data
