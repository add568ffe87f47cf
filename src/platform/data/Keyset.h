#pragma once

#include "platform/data/Sqlite.h"

#include <QStringList>

#include <functional>
#include <optional>

namespace data {

// Where a record stands in an order: its rowid and, for name order, its name.
struct Key {
    qint64 rowid = 0;
    QString name;
    bool nameNull = true;
};

struct Row {
    Key key;
    QStringList values; // in the order of the field list given to the Keyset
};

// The keyset queries of one order. Each answer is one probe through an index
// (the rowid, or Name COLLATE NOCASE then rowid): nothing reads the whole table.
// Rows whose name is NULL come first in name order, in rowid order. Each query
// is prepared on first use and reused for the life of the Keyset.
class Keyset {
public:
    Keyset(const Database& db, const QString& table, const QStringList& fields, bool byName);

    std::optional<Row> first();
    std::optional<Row> last();
    std::optional<Row> after(const Key& key);
    std::optional<Row> before(const Key& key);
    // The first row in name order whose name is >= key.
    std::optional<Row> atLeast(const QString& key);

private:
    enum Query {
        First,
        Last,
        After,
        Before,
        SameNameAfter,
        SameNameBefore,
        AfterNull,
        FirstNamed,
        BeforeNull,
        LastNull,
        AtLeast
    };

    std::optional<Row> fetch(Query query, const std::function<void(Statement&)>& bind);
    QString sql(Query query) const;
    QString order(bool descending) const;

    StatementCache statements_;
    QString select_;
    bool byName_;
    int fieldCount_;
};

// Quotes an identifier for SQL text (identifiers cannot be bound).
QString quoteIdentifier(const QString& name);

} // namespace data
