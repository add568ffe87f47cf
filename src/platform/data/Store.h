#pragma once

#include "platform/data/Columns.h"
#include "platform/data/Sqlite.h"

#include <QList>
#include <QStringList>

namespace data {

// Writing records, each in one transaction: all of it is stored or none.
// Identifiers are quoted, every value bound.

// The record `rowid` as stored now, if it is there.
std::optional<Row> readRecord(const Database& db, const Columns& columns, qint64 rowid);

// The record named `id` in the id column, as stored now, if it is there.
std::optional<Row> readRecordById(const Database& db, const Columns& columns, const QString& id);

// Inserts a record holding `values` in `fields`, and `id` in the id column
// when both are there; returns it as stored.
Row insertRecord(Database& db, const Columns& columns, const QStringList& values, const QString& id = {});

// Stores `values` in the fields at `changed` (indexes into the fields) of the
// record `rowid`, only while the record still holds `expected` in those
// fields; the other fields are not written at all. Returns the record as
// stored afterwards. Throws platform::Error with cause DeletedElsewhere when
// the record is gone, or ChangedElsewhere when another program changed one
// of those fields: their names go to `conflicts` and the values found to
// `expected`, so a second call stores over them on purpose.
Row updateRecord(Database& db, const Columns& columns, qint64 rowid, const QList<int>& changed,
                 const QStringList& values, QStringList& expected, QStringList& conflicts);

} // namespace data
