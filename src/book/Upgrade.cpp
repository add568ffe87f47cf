#include "book/Upgrade.h"

#include "book/Schema.h"
#include "platform/core/Error.h"
#include "platform/data/Columns.h"

#include <QStringList>

namespace book {
namespace {
using data::quoteIdentifier;
using platform::Error;
namespace err = platform::err;

// What each version adds to the one before: step n makes version n + 1.
QString step(int from) {
    const QString table = quoteIdentifier(QLatin1String(Table));
    const QString id = quoteIdentifier(QLatin1String(IdField));
    switch (from) {
    case 0:
        return QStringLiteral(
                   "ALTER TABLE %1 ADD COLUMN %2 TEXT;"
                   "CREATE UNIQUE INDEX %2 ON %1 (%2);"
                   "CREATE TABLE %3 (%2 TEXT PRIMARY KEY NOT NULL, Card BLOB NOT NULL) WITHOUT ROWID;")
            .arg(table, id, quoteIdentifier(QLatin1String(CardsTable)));
    case 1:
        return QStringLiteral(
                   "CREATE TABLE %1 (%2 TEXT PRIMARY KEY NOT NULL, Href TEXT NOT NULL UNIQUE, "
                   "Etag TEXT NOT NULL, Agreed BLOB NOT NULL) WITHOUT ROWID;"
                   "CREATE TABLE %3 (Name TEXT PRIMARY KEY NOT NULL, Value TEXT NOT NULL) WITHOUT ROWID;")
            .arg(quoteIdentifier(QLatin1String(SyncedTable)), id,
                 quoteIdentifier(QLatin1String(SyncStateTable)));
    default:
        return {};
    }
}

QString setVersion(int version) { return QStringLiteral("PRAGMA user_version = %1;").arg(version); }

void exec(data::Database& db, const QString& sql) { db.exec(sql.toUtf8().constData()); }

} // namespace

QString createSql() {
    QStringList columns;
    for (const char* field : FieldNames)
        columns << quoteIdentifier(QLatin1String(field)) + QStringLiteral(" TEXT");
    QString sql = QStringLiteral("CREATE TABLE %1 (%2);"
                                 "CREATE INDEX %3 ON %1 (%4 COLLATE NOCASE);")
                      .arg(quoteIdentifier(QLatin1String(Table)), columns.join(QLatin1String(", ")),
                           quoteIdentifier(QLatin1String(OrderIndex)), quoteIdentifier(orderField()));
    for (int version = 0; version < Version; ++version)
        sql += step(version);
    return sql + setVersion(Version);
}

int versionOf(const data::Database& db) {
    data::Statement st(db, QStringLiteral("PRAGMA user_version"));
    st.step();
    return int(st.integer(0));
}

void upgrade(data::Database& db, Upgrade need) {
    auto refuseNewer = [](int version) {
        if (version > Version)
            throw Error(err::NewerBook, QStringLiteral("The phone book is of version %1, made by a newer "
                                                       "Quorvel Book Dialer; this one reads versions up "
                                                       "to %2. Install the newer program to use it.")
                                            .arg(version)
                                            .arg(Version));
    };
    const int found = versionOf(db);
    refuseNewer(found);
    if (found == Version || (need == Upgrade::IfWritable && db.isReadOnly()))
        return;
    try {
        db.transaction([&] {
            // Asked again under the write lock: another program may have upgraded it meanwhile.
            int version = versionOf(db);
            refuseNewer(version);
            for (; version < Version; ++version)
                exec(db, step(version));
            exec(db, setVersion(Version));
        });
    } catch (const Error& error) {
        // The seven fields work in any version: a book that cannot take the
        // upgrade now (read-only, held by another program) gets it at a later opening.
        if (need == Upgrade::Required || !cannotWriteNow(error))
            throw;
    }
}

bool cannotWriteNow(const platform::Error& error) {
    const int cause = error.cause();
    return cause == err::ReadOnlyFile || cause == err::ReadOnlyFolder || cause == err::Locked ||
           cause == err::DiskFull;
}

data::Database open(const QString& path, Upgrade need) {
    data::Database db(path);
    upgrade(db, need);
    return db;
}

} // namespace book
