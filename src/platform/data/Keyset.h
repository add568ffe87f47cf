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
// Rows whose name is NULL come first in name order, in rowid order.
class Keyset {
public:
    Keyset(const Database& db, const QString& table, const QStringList& fields, bool byName);

    std::optional<Row> first() const;
    std::optional<Row> last() const;
    std::optional<Row> after(const Key& key) const;
    std::optional<Row> before(const Key& key) const;
    // The first row in name order whose name is >= key.
    std::optional<Row> atLeast(const QString& key) const;

private:
    std::optional<Row> fetch(const QString& where, const QString& order,
                             const std::function<void(Statement&)>& bind) const;
    QString order(bool descending) const;

    const Database& db_;
    QString select_;
    bool byName_;
    int fieldCount_;
};

// Quotes an identifier for SQL text (identifiers cannot be bound).
QString quoteIdentifier(const QString& name);

} // namespace data
