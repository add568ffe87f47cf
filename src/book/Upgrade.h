#pragma once

#include "platform/core/Error.h"
#include "platform/data/Sqlite.h"

#include <QString>

namespace book {

// The version of the book this program makes and understands, kept in the
// file as PRAGMA user_version. A book made by any SQLite tool with just the
// seven fields is version 0.
inline constexpr int Version = 4;

// The SQL that makes an empty book of the current version.
QString createSql();

// The book's version as the file says.
int versionOf(const data::Database& db);

enum class Upgrade {
    IfWritable, // a book that cannot be written now is used as it is (its seven fields)
    Required,   // that is an error too
};

// Brings an older book up to Version in one transaction, only by adding
// columns, tables and indexes: no row is copied or changed. A book of a newer
// version is refused (cause NewerBook) and not touched. Every opening passes
// here, so this is where the trash drops what it kept past its days.
void upgrade(data::Database& db, Upgrade need = Upgrade::IfWritable);

// Whether a write failed for a cause that passes (read-only file or folder,
// another program's lock, a full disk), not because of the book itself.
bool cannotWriteNow(const platform::Error& error);

// Opens an existing book through the same upgrade the window's opening does.
// A path where no file is throws FileMissing, saying how to make a book there.
data::Database open(const QString& path, Upgrade need);

// Makes an empty book of the current version at `path`. A file that is
// there already is refused (FileAccess) and left as it is; a book that could
// not be made whole is removed again.
void create(const QString& path);

// How to make an empty book at `path`, as a command to type.
QString makeCommand(const QString& path);

} // namespace book
