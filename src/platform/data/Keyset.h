#pragma once

#include "platform/data/Columns.h"
#include "platform/data/Sqlite.h"

#include <functional>
#include <optional>

namespace data {

// The keyset queries of one order. Each answer is one probe through an index
// (the rowid, or the order column COLLATE NOCASE then rowid): nothing reads
// the whole table. Rows whose order value is NULL come first, in rowid order. Each query
// is prepared on first use and reused for the life of the Keyset.
class Keyset {
public:
    // `ordered`: in the order of columns.order, else in rowid order.
    Keyset(const Database& db, const Columns& columns, bool ordered);

    std::optional<Row> first();
    std::optional<Row> last();
    std::optional<Row> after(const Key& key);
    std::optional<Row> before(const Key& key);
    // The first row in order whose order value is >= key.
    std::optional<Row> atLeast(const QString& key);
    // The row whose id column holds `id`: one probe of the id's unique index.
    std::optional<Row> withId(const QString& id);

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
        AtLeast,
        WithId
    };

    std::optional<Row> fetch(Query query, const std::function<void(Statement&)>& bind);
    QString sql(Query query) const;
    QString order(bool descending) const;

    StatementCache statements_;
    QString select_;
    QString column_;   // the order column, quoted; empty in rowid order
    QString orderKey_; // and COLLATE NOCASE
    Columns columns_;
};

} // namespace data
