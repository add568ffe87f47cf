#pragma once

#include "platform/data/Sqlite.h"

#include <QStringList>

namespace data {

// Where a record stands in an order: its rowid and its value of the order column.
struct Key {
    qint64 rowid = 0;
    QString value;
    bool valueNull = true;
    QString id; // the record's own id, where the table keeps one (empty: none)
};

struct Row {
    Key key;
    QStringList values; // in the order of the fields read
};

// What a record set reads of one table: its fields, the column that an
// index orders it by (none: rowid order only), and the column that names each
// record for good where rowids may be renumbered (none: the rowid alone).
struct Columns {
    QString table;
    QStringList fields;
    QString order;
    QString id;

    // "SELECT rowid, <order>, <fields>[, <id>] FROM <table> ", the head of every row query.
    QString select() const;
};

// Quotes an identifier for SQL text (identifiers cannot be bound).
QString quoteIdentifier(const QString& name);
// The names quoted and joined by commas, for a column list.
QString columnList(const QStringList& names);

// The texts of the columns from `first` on into `values`, one per element.
template <typename Values> void readTexts(const Statement& st, int first, Values& values) {
    int column = first;
    for (auto& value : values)
        value = st.text(column++);
}

// A row of a query that begins with Columns::select().
Row readRow(const Statement& st, const Columns& columns);

} // namespace data
