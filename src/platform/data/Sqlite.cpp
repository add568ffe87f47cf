#include "platform/data/Sqlite.h"

#include "platform/core/Error.h"

#include <sqlite3.h>

namespace data {
namespace {
// How long a read or a store waits for another program that holds the file
// locked. Another program's commit takes milliseconds; a lock held longer is
// told to the user rather than waited out with a frozen window (one arrow
// may wait twice: for the counter and for the move).
constexpr int BusyTimeoutMs = 1500;

// The cause of a failure, as far as the user can act on it.
int causeOf(int code) {
    namespace err = platform::err;
    switch (code & 0xFF) {
    case SQLITE_NOTADB:
        return err::NotADatabase;
    case SQLITE_CORRUPT:
        return err::Damaged;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return err::Locked;
    case SQLITE_FULL:
        return err::DiskFull;
    case SQLITE_CONSTRAINT:
        return code == SQLITE_CONSTRAINT_UNIQUE ? err::DuplicateKey : err::EngineFailure;
    case SQLITE_READONLY:
        if (code == SQLITE_READONLY_DBMOVED)
            return err::FileMoved; // renamed or deleted since it was opened
        if (code == SQLITE_READONLY_DIRECTORY)
            return err::ReadOnlyFolder; // no journal can be made beside it
        return err::ReadOnlyFile;
    default:
        return err::EngineFailure;
    }
}

[[noreturn]] void fail(sqlite3* db, int code) {
    throw platform::Error(causeOf(code), QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(code)));
}
} // namespace

void Database::Closer::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

Database::Database(const QString& path, Mode mode) {
    // SQLite's count of its memory in use takes a lock shared by every thread
    // on each allocation; nothing here reads that count. Set before SQLite
    // starts, that is before the first connection.
    [[maybe_unused]] static const int unCounted = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
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

void Database::probeWrite() {
    // Rewriting a header value with itself needs everything a store needs
    // (a writable file, a journal beside it); rolled back, the file stays as it was.
    qint64 value = 0;
    {
        Statement version(*this, QStringLiteral("PRAGMA user_version"));
        version.step();
        value = version.integer(0);
    }
    exec("BEGIN IMMEDIATE");
    const RollbackGuard never(handle());
    exec(QStringLiteral("PRAGMA user_version = %1").arg(value).toUtf8().constData());
}

bool Database::isReadOnly() const { return sqlite3_db_readonly(handle(), "main") == 1; }
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

Statement& Statement::bindBlob(int index, QByteArrayView bytes) {
    sqlite3_bind_blob(stmt_, index, bytes.data(), int(bytes.size()), SQLITE_TRANSIENT);
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

QByteArrayView Statement::utf8(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QByteArrayView(bytes, bytes ? sqlite3_column_bytes(stmt_, column) : 0);
}

QString Statement::text(int column) const {
    const QByteArrayView bytes = utf8(column);
    return bytes.data() ? QString::fromUtf8(bytes) : QString();
}

QByteArrayView Statement::bytes(int column) const {
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
    return QByteArrayView(bytes, bytes ? sqlite3_column_bytes(stmt_, column) : 0);
}

QByteArray Statement::blob(int column) const { return bytes(column).toByteArray(); }

bool Statement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
qint64 Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

} // namespace data
