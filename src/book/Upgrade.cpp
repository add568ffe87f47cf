#include "book/Upgrade.h"

#include "book/Schema.h"
#include "book/Trash.h"
#include "platform/core/Error.h"
#include "platform/core/SaveFile.h"
#include "platform/data/Columns.h"

#include <QFile>
#include <QStringList>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    case 3: {
        // The seven fields under their own names, so any SQLite tool reads a deleted contact too.
        QStringList columns;
        for (const char* field : FieldNames)
            columns << quoteIdentifier(QLatin1String(field)) + QStringLiteral(" TEXT");
        return QStringLiteral("CREATE TABLE %1 (%2 TEXT PRIMARY KEY NOT NULL, %3, Card BLOB, "
                              "Deleted TEXT NOT NULL, Why TEXT NOT NULL);"
                              "CREATE INDEX TrashDeleted ON %1 (Deleted);")
            .arg(quoteIdentifier(QLatin1String(TrashTable)), id, columns.join(QLatin1String(", ")));
    }
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
    if (found == Version || (need == Upgrade::IfWritable && db.isReadOnly())) {
        dropExpiredTrash(db);
        return;
    }
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
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 && errno == ENOENT)
        throw Error(
            err::FileMissing,
            QStringLiteral("there is no phone book here; to make an empty one: %1").arg(makeCommand(path)));
    data::Database db(path);
    upgrade(db, need);
    return db;
}

QString makeCommand(const QString& path) {
    return QStringLiteral("quorvel-book --book \"%1\" new").arg(path);
}

void create(const QString& path) {
    const QByteArray local = QFile::encodeName(path);
    // Made exclusively: a file that appears meanwhile is not written over either.
    const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        if (error == EEXIST)
            throw Error(err::FileAccess, QStringLiteral("a file is there already; it was left as it is "
                                                        "(name a new file to make an empty phone book)"));
        throw Error(err::FileAccess, QStringLiteral("cannot make it (%1)").arg(platform::systemError(error)));
    }
    struct stat made {};
    ::fstat(fd, &made);
    ::close(fd);
    try {
        // SQLite takes an empty file for an empty database.
        data::Database db(path);
        db.transaction([&] { exec(db, createSql()); });
    } catch (...) {
        // Only the file made here, should another have been put in its place meanwhile.
        struct stat now {};
        if (::stat(local.constData(), &now) == 0 && now.st_ino == made.st_ino && now.st_dev == made.st_dev)
            ::unlink(local.constData());
        throw;
    }
}

} // namespace book
