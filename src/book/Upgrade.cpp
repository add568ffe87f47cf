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

// Version 3: the match keys of the numbers and the call log. The contacts
// there already are read for their keys later, in rowid order from the
// place NUMBERSSCAN keeps (the upgrade itself writes nothing per contact, so
// a large book opens at once); the triggers name each one written later.
QString numbersAndCalls() {
    return QStringLiteral(
               "CREATE TABLE %2 (Key TEXT NOT NULL, %4 TEXT NOT NULL, Field TEXT NOT NULL, "
               "PRIMARY KEY (Key, %4, Field)) WITHOUT ROWID;"
               "CREATE INDEX NumbersOfContact ON %2 (%4);"
               "CREATE TABLE %3 (Row INTEGER PRIMARY KEY);"
               "CREATE TABLE %7 (Next INTEGER NOT NULL);"
               "INSERT INTO %7 SELECT 0 WHERE EXISTS (SELECT 1 FROM %1);"
               "CREATE TRIGGER NumbersDueAdded AFTER INSERT ON %1 BEGIN "
               "INSERT OR IGNORE INTO %3 VALUES (new.rowid); END;"
               "CREATE TRIGGER NumbersDueChanged AFTER UPDATE OF Phone, Mobile, %4 ON %1 BEGIN "
               "DELETE FROM %2 WHERE %4 = old.%4; INSERT OR IGNORE INTO %3 VALUES (new.rowid); END;"
               "CREATE TRIGGER NumbersDueDeleted AFTER DELETE ON %1 BEGIN "
               "DELETE FROM %2 WHERE %4 = old.%4; DELETE FROM %3 WHERE Row = old.rowid; END;"
               "CREATE TABLE %5 (Id INTEGER PRIMARY KEY AUTOINCREMENT, At TEXT NOT NULL, Way TEXT NOT NULL, "
               "Number TEXT NOT NULL, Key TEXT, %4 TEXT, NetworkName TEXT, Answer TEXT);"
               "CREATE TRIGGER CallsKept AFTER INSERT ON %5 BEGIN "
               "DELETE FROM %5 WHERE Id <= new.Id - %6; END;")
        .arg(quoteIdentifier(QLatin1String(Table)), quoteIdentifier(QLatin1String(NumbersTable)),
             quoteIdentifier(QLatin1String(NumbersDueTable)), quoteIdentifier(QLatin1String(IdField)),
             quoteIdentifier(QLatin1String(CallsTable)))
        .arg(CallsKept)
        .arg(quoteIdentifier(QLatin1String(NumbersScanTable)));
}

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
    case 2:
        return numbersAndCalls();
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
